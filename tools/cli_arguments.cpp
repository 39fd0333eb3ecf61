#include "cli_arguments.h"

#include <QStringList>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <ostream>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

QCommandLineOption ValueOption(const char* name, const char* description, const char* valueName)
{
    return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description),
                              QString::fromLatin1(valueName));
}

std::string Quoted(const std::string& text)
{
    return "'" + text + "'";
}

}  // namespace

std::optional<double> ReadDecimal(std::string_view text)
{
    std::string s(text);
    if (s.empty() || s.find_first_not_of("0123456789+-.,eE") != std::string::npos)
        return std::nullopt;  // blanks, "inf", "nan", hexadecimal ...
    const std::size_t start = (s[0] == '+' || s[0] == '-') ? 1 : 0;
    if (const std::size_t comma = s.find(','); comma != std::string::npos) {
        if (s.find(',', comma + 1) != std::string::npos || s.find('.') != std::string::npos)
            return std::nullopt;
        const std::string_view whole = std::string_view(s).substr(start, comma - start);
        const std::size_t fractionEnd = s.find_first_not_of("0123456789", comma + 1);
        const std::string_view fraction = std::string_view(s).substr(
            comma + 1, fractionEnd == std::string::npos ? std::string::npos : fractionEnd - comma - 1);
        // "1,000" and "12,345" could be thousands: neither reading is safe.
        const bool couldBeGrouping = AllDigits(whole) && whole.size() <= 3 && whole[0] != '0' && fraction.size() == 3
            && fractionEnd == std::string::npos;
        if (couldBeGrouping)
            return std::nullopt;
        s[comma] = '.';
    }
    const char* first = s.data() + (s[0] == '+' ? 1 : 0);
    const char* last = s.data() + s.size();
    if (first == last || *first == '+' || (s[0] == '+' && *first == '-'))
        return std::nullopt;
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> ReadWhole(std::string_view text)
{
    const std::size_t start = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (!AllDigits(text.substr(start)))
        return std::nullopt;
    std::int64_t value = 0;
    const char* first = text.data() + (text[0] == '+' ? 1 : 0);
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

namespace CliOption {

#define DILUTRA_CLI_OPTION(Function, ...)                                                                              \
    const QCommandLineOption& Function()                                                                               \
    {                                                                                                                  \
        static const QCommandLineOption option = ValueOption(__VA_ARGS__);                                             \
        return option;                                                                                                 \
    }

DILUTRA_CLI_OPTION(Port, "port", "Serial port of the equipment, as 'dilutra-cli ports' lists it.", "P")
DILUTRA_CLI_OPTION(GasA, "gas-a", "Gas A, a name of the compound table (O2, 5%H2,95%Ar, ...).", "NAME")
DILUTRA_CLI_OPTION(GasB, "gas-b", "Gas B, the carrier (Ar, N2, ...).", "NAME")
DILUTRA_CLI_OPTION(PpmA, "ppm-a", "Wanted ppm of gas A, 0 to 1000000.", "N")
DILUTRA_CLI_OPTION(PpmH2O, "ppm-h2o", "Wanted ppm of water, 0 to 35000 (default 0).", "N")
DILUTRA_CLI_OPTION(MaxA, "max-a", "Full-scale flow of controller 1 (gas A) in g/min, above 0.", "G")
DILUTRA_CLI_OPTION(DynA, "dyn-a", "Dynamic range of controller 1, 1 to 4294967295.", "N")
DILUTRA_CLI_OPTION(MaxB, "max-b", "Full-scale flow of controller 2 (gas B) in g/min, above 0.", "G")
DILUTRA_CLI_OPTION(DynB, "dyn-b", "Dynamic range of controller 2, 1 to 4294967295.", "N")
DILUTRA_CLI_OPTION(UnitA, "unit-a", "Flow unit of controller 1 as the report shows it (default g/min).", "TEXT")
DILUTRA_CLI_OPTION(UnitB, "unit-b", "Flow unit of controller 2 as the report shows it (default g/min).", "TEXT")
DILUTRA_CLI_OPTION(PH2O, "ph2o", "Water vapour pressure at the bubbler, 0 to 1 atm.", "ATM")
DILUTRA_CLI_OPTION(BubblerTemp, "bubbler-temp",
                   "Bubbler temperature in degrees C, above 0 and below 100 (gives the vapour pressure).", "C")
DILUTRA_CLI_OPTION(Address, "address", "Controller: 1 (gas A) or 2 (gas B).", "1|2")
DILUTRA_CLI_OPTION(Table, "table", "Gas table number, 0 to 65535.", "N")
DILUTRA_CLI_OPTION(Flow, "flow", "Set-point in g/min, from 0.", "G")

#undef DILUTRA_CLI_OPTION

const QCommandLineOption& Reset()
{
    static const QCommandLineOption option(QStringLiteral("reset"), QStringLiteral("Zero the totalizers first."));
    return option;
}

}  // namespace CliOption

namespace CliRange {
const NumberRange PressureAtm{0.0, 1.0, "a number from 0 to 1 (atm)"};
const NumberRange BubblerC{0.0, 100.0, "a temperature above 0 and below 100 (degrees C)", true, true};
const NumberRange FullScale{std::numeric_limits<float>::min(), std::numeric_limits<float>::max(), "a flow above 0"};
const NumberRange SetPoint{0.0, std::numeric_limits<float>::max(), "a flow from 0 (g/min)"};
}  // namespace CliRange

std::string OptionName(const QCommandLineOption& option)
{
    const QString name = option.names().constFirst();
    return (name.size() == 1 ? "-" : "--") + name.toStdString();
}

CliCommandLine::CliCommandLine(std::string command, const std::string& description)
    : command_(std::move(command))
    , help_(QStringList{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help."))
{
    parser_.setApplicationDescription(QString::fromStdString(description));
    parser_.addOption(help_);
}

void CliCommandLine::Add(const QCommandLineOption& option)
{
    parser_.addOption(option);
    options_.push_back(option);
}

void CliCommandLine::AddRepeatable(const QCommandLineOption& option)
{
    // Known to the parser, not to the check against giving an option twice.
    parser_.addOption(option);
}

void CliCommandLine::AddPositional(const QString& name, const QString& description, const QString& syntax)
{
    parser_.addPositionalArgument(name, description, syntax);
}

std::optional<int> CliCommandLine::Parse(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    QStringList words{QStringLiteral("dilutra-cli")};
    for (const std::string& a : args)
        words.append(QString::fromLocal8Bit(a.data(), static_cast<qsizetype>(a.size())));
    if (!parser_.parse(words))
        return Refuse(err, parser_.errorText().toStdString());
    if (parser_.isSet(help_)) {
        out << HelpText();
        return ExitDone;
    }
    for (const QCommandLineOption& o : options_) {
        if (!o.valueName().isEmpty() && parser_.values(o).size() > 1)
            return Refuse(err, "option " + OptionName(o) + " is given twice");
    }
    return std::nullopt;
}

bool CliCommandLine::Has(const QCommandLineOption& option) const
{
    return parser_.isSet(option);
}

std::vector<std::string> CliCommandLine::Positional() const
{
    std::vector<std::string> words;
    for (const QString& w : parser_.positionalArguments())
        words.push_back(w.toLocal8Bit().toStdString());
    return words;
}

std::string CliCommandLine::Text(const QCommandLineOption& option) const
{
    if (!parser_.isSet(option))
        throw CliError("missing option " + OptionName(option));
    return parser_.value(option).toLocal8Bit().toStdString();
}

std::string CliCommandLine::TextOr(const QCommandLineOption& option, const std::string& fallback) const
{
    return Has(option) ? Text(option) : fallback;
}

std::vector<std::string> CliCommandLine::Texts(const QCommandLineOption& option) const
{
    std::vector<std::string> texts;
    for (const QString& value : parser_.values(option))
        texts.push_back(value.toLocal8Bit().toStdString());
    return texts;
}

double CliCommandLine::Number(const QCommandLineOption& option, const NumberRange& range) const
{
    const std::string text = Text(option);
    const std::optional<double> value = ReadDecimal(text);
    if (!value || !range.Holds(*value))
        throw CliError(OptionName(option) + " must be " + range.Says + ", not " + Quoted(text));
    return *value == 0.0 ? 0.0 : *value;
}

std::int64_t CliCommandLine::Whole(const QCommandLineOption& option, std::int64_t low, std::int64_t high) const
{
    const std::string text = Text(option);
    const std::optional<std::int64_t> value = ReadWhole(text);
    if (!value || *value < low || *value > high)
        throw CliError(OptionName(option) + " must be a whole number from " + std::to_string(low) + " to "
                       + std::to_string(high) + ", not " + Quoted(text));
    return *value;
}

void CliCommandLine::OnlyThese(const std::vector<const QCommandLineOption*>& allowed, const std::string& what) const
{
    for (const QCommandLineOption& o : options_) {
        const bool ok = std::any_of(allowed.begin(), allowed.end(),
                                    [&](const QCommandLineOption* a) { return a->names() == o.names(); });
        if (!ok && parser_.isSet(o))
            throw CliError(what + " takes no option " + OptionName(o));
    }
}

int CliCommandLine::Refuse(std::ostream& err, const std::string& why) const
{
    err << "dilutra-cli " << command_ << ": " << why << '\n';
    return ExitBadArguments;
}

std::string CliCommandLine::HelpText() const
{
    // The parser names the program by its own path; the command belongs
    // in the usage line too.
    QString text = parser_.helpText();
    const qsizetype firstLineEnd = text.indexOf(QLatin1Char('\n'));
    QString usage = text.left(firstLineEnd);
    const qsizetype options = usage.indexOf(QStringLiteral(" [options]"));
    if (options >= 0)
        usage = QStringLiteral("Usage: dilutra-cli ") + QString::fromStdString(command_) + usage.mid(options);
    return (usage + text.mid(firstLineEnd)).toLocal8Bit().toStdString();
}
