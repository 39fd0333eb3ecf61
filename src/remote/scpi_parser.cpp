#include "scpi_parser.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace {

// SCPI's white space: every control character but the line end, and the
// space.
bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20 && c != '\n';
}

bool IsAlpha(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsWordChar(char c)
{
    return IsAlpha(c) || IsDigit(c) || c == '_';
}

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// One node of a header in the tree: its short and long form in capitals.
struct TNode {
    std::string Short;
    std::string Long;
    bool Optional = false;

    bool Matches(const std::string& upper) const { return upper == Short || upper == Long; }
};

// The nodes of a header pattern ("SYSTem:ERRor[:NEXT]"), or the choices of
// a parameter ("STANdby|FLUSh"): every character that is not part of a
// mnemonic separates two of them; brackets make the nodes within optional.
std::vector<TNode> Nodes(std::string_view pattern)
{
    std::vector<TNode> nodes;
    bool optional = false;
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (!IsWordChar(pattern[i])) {
            if (pattern[i] == '[' || pattern[i] == ']')
                optional = pattern[i] == '[';
            ++i;
            continue;
        }
        TNode node;
        node.Optional = optional;
        for (; i < pattern.size() && IsWordChar(pattern[i]); ++i) {
            const char p = pattern[i];
            if (p >= 'a' && p <= 'z') {
                node.Long += static_cast<char>(p - 'a' + 'A');
            } else {
                if (node.Long.size() == node.Short.size())
                    node.Short += p;
                node.Long += p;
            }
        }
        nodes.push_back(std::move(node));
    }
    return nodes;
}

struct TPattern {
    const TScpiCommandSpec* Spec;
    std::vector<TNode> Nodes;
};

const std::vector<TPattern>& Patterns()
{
    static const std::vector<TPattern> patterns = [] {
        std::vector<TPattern> all;
        for (const TScpiCommandSpec& spec : ScpiCommandTable()) {
            if (spec.Header[0] != '*')
                all.push_back({&spec, Nodes(spec.Header)});
        }
        return all;
    }();
    return patterns;
}

bool Match(const std::vector<TNode>& pattern, std::size_t p, const std::vector<std::string>& input, std::size_t n)
{
    if (p == pattern.size())
        return n == input.size();
    const bool here = n < input.size() && pattern[p].Matches(input[n]) && Match(pattern, p + 1, input, n + 1);
    return here || (pattern[p].Optional && Match(pattern, p + 1, input, n));
}

const TScpiCommandSpec* Find(const std::vector<std::string>& input)
{
    for (const TPattern& pattern : Patterns()) {
        if (Match(pattern.Nodes, 0, input, 0))
            return pattern.Spec;
    }
    return nullptr;
}

const TScpiCommandSpec* FindCommon(const std::string& upper)
{
    for (const TScpiCommandSpec& spec : ScpiCommandTable()) {
        if (spec.Header == upper)
            return &spec;
    }
    return nullptr;
}

// A parameter as written: a number, a word, or a quoted string.
struct TParameter {
    enum class TKind { Number, Word, String } Kind = TKind::Word;
    double Number = 0.0;
    std::string Text;  // the word, or the string's contents
};

// SCPI's decimal number: an optional sign, digits with an optional point
// (or a point and digits), an optional exponent.
std::optional<double> ReadNumber(std::string_view token)
{
    std::size_t i = 0;
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
        ++i;
    const std::size_t start = token[0] == '+' ? 1 : 0;
    std::size_t digits = 0;
    for (; i < token.size() && IsDigit(token[i]); ++i)
        ++digits;
    if (i < token.size() && token[i] == '.') {
        for (++i; i < token.size() && IsDigit(token[i]); ++i)
            ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < token.size() && (token[i] == '+' || token[i] == '-'))
            ++i;
        std::size_t exponent = 0;
        for (; i < token.size() && IsDigit(token[i]); ++i)
            ++exponent;
        if (exponent == 0)
            return std::nullopt;
    }
    if (i != token.size())
        return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(token.data() + start, token.data() + token.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too small to hold is zero; too large is beyond any range.
        const std::size_t e = token.find_first_of("eE");
        if (e != std::string_view::npos && e + 1 < token.size() && token[e + 1] == '-')
            return 0.0;
        return token[0] == '-' ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    }
    if (error != std::errc() || end != token.data() + token.size())
        return std::nullopt;
    return value;
}

class TLineParser {
public:
    explicit TLineParser(std::string_view line)
        : line_(line)
    {
    }

    std::vector<TScpiParsed> Run()
    {
        std::vector<TScpiParsed> items;
        for (;;) {
            SkipBlanks();
            if (AtEnd())
                return items;
            if (Peek() == ';') {  // an empty command between two separators
                ++pos_;
                continue;
            }
            TScpiParsed item = Unit();
            const bool failed = !item.Command;
            items.push_back(std::move(item));
            if (failed)
                return items;
        }
    }

private:
    bool AtEnd() const { return pos_ >= line_.size(); }
    char Peek() const { return line_[pos_]; }
    void SkipBlanks()
    {
        while (!AtEnd() && IsBlank(Peek()))
            ++pos_;
    }

    static TScpiParsed Fail(int code, std::string detail = {})
    {
        TScpiParsed item;
        item.Error = {code, std::move(detail)};
        return item;
    }

    std::string SourceFrom(std::size_t start) const
    {
        std::string_view text = line_.substr(start, pos_ - start);
        while (!text.empty() && IsBlank(text.back()))
            text.remove_suffix(1);
        return std::string(text);
    }

    // One command: its header, its parameters, up to ';' or the end.
    TScpiParsed Unit()
    {
        const std::size_t start = pos_;
        bool common = false;
        bool absolute = false;
        std::vector<std::string> nodes;
        if (Peek() == '*') {
            common = true;
            ++pos_;
            std::string name = "*";
            while (!AtEnd() && IsAlpha(Peek()))
                name += Peek(), ++pos_;
            if (name.size() == 1)
                return Fail(ScpiError::Syntax, "a common command needs its name");
            nodes.push_back(Upper(name));
        } else {
            if (Peek() == ':') {
                absolute = true;
                ++pos_;
            }
            for (;;) {
                if (AtEnd() || !IsAlpha(Peek()))
                    return Fail(ScpiError::Syntax, "a header is made of letters and digits, ':' between its nodes");
                std::string node;
                while (!AtEnd() && IsWordChar(Peek()))
                    node += Peek(), ++pos_;
                nodes.push_back(Upper(node));
                if (AtEnd() || Peek() != ':')
                    break;
                ++pos_;
            }
        }
        const bool query = !AtEnd() && Peek() == '?';
        if (query)
            ++pos_;
        if (!AtEnd() && !IsBlank(Peek()) && Peek() != ';')
            return Fail(ScpiError::Syntax, "unexpected character after the header");
        std::vector<TParameter> parameters;
        if (const std::optional<TScpiError> error = Parameters(parameters))
            return Fail(error->Code, error->Detail);
        const std::string source = SourceFrom(start);
        if (!AtEnd())
            ++pos_;  // the ';'

        const TScpiCommandSpec* spec = nullptr;
        if (common) {
            spec = FindCommon(nodes[0]);
        } else {
            if (!absolute && !path_.empty()) {
                std::vector<std::string> below = path_;
                below.insert(below.end(), nodes.begin(), nodes.end());
                if ((spec = Find(below)))
                    nodes = std::move(below);
            }
            if (!spec)
                spec = Find(nodes);
            if (spec)
                path_.assign(nodes.begin(), nodes.end() - 1);
        }
        const std::string header = source.substr(0, source.find_first_of(" \t"));
        if (!spec || (query ? !spec->Queryable : !spec->Settable))
            return Fail(ScpiError::UndefinedHeader, header);
        return Check(*spec, query, parameters, source);
    }

    // The parameters after the header, up to ';' or the end of the line.
    std::optional<TScpiError> Parameters(std::vector<TParameter>& parameters)
    {
        SkipBlanks();
        if (AtEnd() || Peek() == ';')
            return std::nullopt;
        for (;;) {
            TParameter parameter;
            if (Peek() == '"' || Peek() == '\'') {
                const char quote = Peek();
                parameter.Kind = TParameter::TKind::String;
                for (++pos_;; ++pos_) {
                    if (AtEnd())
                        return TScpiError{ScpiError::Syntax, "a string without its closing quote"};
                    if (Peek() == quote) {
                        if (pos_ + 1 < line_.size() && line_[pos_ + 1] == quote) {
                            ++pos_;
                        } else {
                            ++pos_;
                            break;
                        }
                    }
                    parameter.Text += Peek();
                }
            } else {
                const std::size_t start = pos_;
                while (!AtEnd() && !IsBlank(Peek()) && Peek() != ',' && Peek() != ';')
                    ++pos_;
                const std::string_view token = line_.substr(start, pos_ - start);
                if (token.empty())
                    return TScpiError{ScpiError::Syntax, "an empty parameter"};
                if (const std::optional<double> number = ReadNumber(token)) {
                    parameter.Kind = TParameter::TKind::Number;
                    parameter.Number = *number;
                } else if (IsAlpha(token[0]) && std::all_of(token.begin(), token.end(), IsWordChar)) {
                    parameter.Text = Upper(token);
                } else {
                    return TScpiError{ScpiError::Syntax, "a parameter is a number, a word or a quoted string"};
                }
            }
            parameters.push_back(std::move(parameter));
            SkipBlanks();
            if (AtEnd() || Peek() == ';')
                return std::nullopt;
            if (Peek() != ',')
                return TScpiError{ScpiError::Syntax, "parameters are separated by ','"};
            ++pos_;
            SkipBlanks();
            if (AtEnd() || Peek() == ';')
                return TScpiError{ScpiError::Syntax, "an empty parameter"};
        }
    }

    // The parameters against what the command takes.
    static TScpiParsed Check(const TScpiCommandSpec& spec, bool query, const std::vector<TParameter>& parameters,
                             const std::string& source)
    {
        const std::string_view kinds = query ? std::string_view() : spec.Parameters;
        if (parameters.size() > kinds.size())
            return Fail(ScpiError::ParameterNotAllowed, source);
        if (parameters.size() < kinds.size())
            return Fail(ScpiError::MissingParameter, source);
        TScpiCommand command;
        command.Id = spec.Id;
        command.Query = query;
        command.Changes = spec.Changes && !query;
        command.Source = source;
        using TKind = TParameter::TKind;
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            const TParameter& p = parameters[i];
            switch (kinds[i]) {
            case 'N':
                if (p.Kind != TKind::Number)
                    return Fail(ScpiError::DataType, "a number is expected: " + source);
                command.Numbers.push_back(p.Number);
                break;
            case 'B':
                if (p.Kind == TKind::String)
                    return Fail(ScpiError::DataType, "0, 1, ON or OFF is expected: " + source);
                if (p.Kind == TKind::Number && (p.Number == 0.0 || p.Number == 1.0))
                    command.Numbers.push_back(p.Number);
                else if (p.Kind == TKind::Word && (p.Text == "ON" || p.Text == "OFF"))
                    command.Numbers.push_back(p.Text == "ON" ? 1.0 : 0.0);
                else
                    return Fail(p.Kind == TKind::Number ? ScpiError::OutOfRange : ScpiError::IllegalValue,
                                "0, 1, ON or OFF is expected: " + source);
                break;
            case 'C': {
                if (p.Kind != TKind::Word)
                    return Fail(ScpiError::DataType, "a word is expected: " + source);
                const std::vector<TNode> choices = Nodes(spec.Choices);
                for (std::size_t c = 0; c < choices.size() && command.Choice < 0; ++c) {
                    if (choices[c].Matches(p.Text))
                        command.Choice = static_cast<int>(c);
                }
                if (command.Choice < 0)
                    return Fail(ScpiError::IllegalValue, source);
                break;
            }
            default:  // 'S'
                if (p.Kind != TKind::String)
                    return Fail(ScpiError::DataType, "a quoted string is expected: " + source);
                command.Text = p.Text;
                break;
            }
        }
        TScpiParsed item;
        item.Command = std::move(command);
        return item;
    }

    std::string_view line_;
    std::size_t pos_ = 0;
    std::vector<std::string> path_;  // the nodes above the last command's leaf
};

}  // namespace

std::vector<TScpiParsed> ParseScpiLine(std::string_view line)
{
    return TLineParser(line).Run();
}
