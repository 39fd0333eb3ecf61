#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Exit codes of every dilutra-cli command.
inline constexpr int ExitDone = 0;
inline constexpr int ExitFailed = 1;        // a device failed, or a result is not within tolerance
inline constexpr int ExitBadArguments = 2;  // the command line cannot be run

// A complaint about the command line: one line for standard error.
class CliError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A number as written on the command line, the same in every locale: a point
// is the decimal separator; a comma is one too where it cannot be a group
// separator ("0,25", "12,5", "0,100", but not "1,000" or "12,345"). An
// exponent may follow ("1e-3"). Nothing for any other text, for blanks, and
// for infinities and NaN.
std::optional<double> ReadDecimal(std::string_view text);
// A whole number: decimal digits with an optional sign, nothing else.
std::optional<std::int64_t> ReadWhole(std::string_view text);

// The values a number option takes: from `Low` to `High`, each end included
// unless open. `Says` completes "--x must be ..." ("a flow above 0").
struct NumberRange {
    double Low;
    double High;
    const char* Says;
    bool LowOpen = false;
    bool HighOpen = false;

    bool Holds(double v) const { return (LowOpen ? v > Low : v >= Low) && (HighOpen ? v < High : v <= High); }
};

// The options the commands share, defined once so that every command
// spells, describes and checks them alike.
namespace CliOption {
const QCommandLineOption& Port();
const QCommandLineOption& GasA();
const QCommandLineOption& GasB();
const QCommandLineOption& PpmA();
const QCommandLineOption& PpmH2O();
const QCommandLineOption& MaxA();
const QCommandLineOption& DynA();
const QCommandLineOption& MaxB();
const QCommandLineOption& DynB();
const QCommandLineOption& UnitA();
const QCommandLineOption& UnitB();
const QCommandLineOption& PH2O();
const QCommandLineOption& BubblerTemp();
const QCommandLineOption& Address();
const QCommandLineOption& Table();
const QCommandLineOption& Flow();
const QCommandLineOption& Reset();
}  // namespace CliOption

// The ranges the window allows.
namespace CliRange {
inline constexpr std::int64_t PpmMax = 1000000;
inline constexpr std::int64_t WaterPpmMax = 35000;
extern const NumberRange PressureAtm;  // 0 to 1 atm
extern const NumberRange BubblerC;     // liquid water: above 0, below 100 degrees C
extern const NumberRange FullScale;    // a controller's range: finite, a normal float above 0
extern const NumberRange SetPoint;     // a flow from 0 g/min, finite
}  // namespace CliRange

// One command's command line, read with QCommandLineParser: its options,
// its positional arguments, "--help", and readers that check every value.
class CliCommandLine {
public:
    CliCommandLine(std::string command, const std::string& description);

    void Add(const QCommandLineOption& option);
    // An option that may be given more than once (Values).
    void AddRepeatable(const QCommandLineOption& option);
    void AddPositional(const QString& name, const QString& description, const QString& syntax = {});

    // Reads `args` (the words after the command's name). Returns the exit
    // code when the command is over: the help was printed on `out` (0), or
    // the line is wrong and one line says why on `err` (2). Nothing when the
    // command goes on.
    std::optional<int> Parse(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

    bool Has(const QCommandLineOption& option) const;
    std::vector<std::string> Positional() const;
    // An option's text; CliError when it is missing.
    std::string Text(const QCommandLineOption& option) const;
    std::string TextOr(const QCommandLineOption& option, const std::string& fallback) const;
    // Every value of an option given more than once, in order.
    std::vector<std::string> Texts(const QCommandLineOption& option) const;
    // An option's number, checked; CliError when it is missing, no number,
    // or out of range.
    double Number(const QCommandLineOption& option, const NumberRange& range) const;
    std::int64_t Whole(const QCommandLineOption& option, std::int64_t low, std::int64_t high) const;
    // CliError unless no option outside `allowed` was given.
    void OnlyThese(const std::vector<const QCommandLineOption*>& allowed, const std::string& what) const;

    // Writes "dilutra-cli COMMAND: why" on `err` and returns 2.
    int Refuse(std::ostream& err, const std::string& why) const;
    std::string HelpText() const;

private:
    std::string command_;
    QCommandLineParser parser_;
    std::vector<QCommandLineOption> options_;
    QCommandLineOption help_;
};

// "--name" of an option, for messages.
std::string OptionName(const QCommandLineOption& option);
