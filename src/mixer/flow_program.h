#pragma once
#include "time_units.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <stdexcept>
#include <vector>

// One step of a flow program: the mixture asked for, how long it is held,
// and whether the mixer is flushed before it.
struct TProgramStep {
    std::int32_t PpmA = 0;
    std::int32_t PpmH2O = 0;
    double Minutes = 0.0;
    bool FlushBefore = false;

    bool operator==(const TProgramStep&) const = default;
};

using TFlowProgram = std::vector<TProgramStep>;

// The values a step may hold: the Operation page's field limits, a hold
// above 0 of at most ten days, and at most this many steps in a program.
inline constexpr std::int32_t ProgramPpmMax = 1000000;
inline constexpr std::int32_t ProgramWaterPpmMax = 35000;
inline constexpr double ProgramMinutesMax = 10.0 * MinutesPerDay;
inline constexpr int ProgramStepsMax = 10000;

// A program file that cannot be read: the line (from 1) and the reason.
class TFlowProgramError : public std::runtime_error {
public:
    TFlowProgramError(int line, const QString& reason);
    int Line() const { return Line_; }
    const QString& Reason() const { return Reason_; }

private:
    int Line_;
    QString Reason_;
};

// The header line of a program file.
extern const char* const FlowProgramHeader;  // "ppm_a;ppm_h2o;minutes;flush_before"

// Reads the four fields of one step as typed or as a spreadsheet wrote them:
// numbers with a decimal point or a decimal comma, whole ppm, a yes/no as
// 1/0, true/false, yes/no or a spreadsheet's own words for them (an empty
// flush field is no). Throws std::runtime_error with the reason.
TProgramStep ReadProgramStep(const QStringList& fields);

// Reads a program file's text: the header (its four names, separated by ";"
// or by ",", which then separates every line), then one step a line. Blank
// lines and lines of empty fields are passed over; quoted fields, a byte
// order mark and CR LF line ends are understood. Throws TFlowProgramError
// for the first line that cannot be read, and for a file without steps.
TFlowProgram ReadFlowProgram(const QByteArray& text);
// Reads the file at `path`; TFlowProgramError also when it cannot be read.
TFlowProgram LoadFlowProgram(const QString& path);

// The file text of a program: the header, then each step with ";" between
// fields, a decimal point, and 1 or 0 for the flush; CR LF line ends.
QByteArray FlowProgramText(const TFlowProgram& program);
// Writes the program to `path`, replacing the file only once the whole text
// is written; throws std::runtime_error when it cannot.
void SaveFlowProgram(const QString& path, const TFlowProgram& program);

// The texts of a step's four fields, as the file and the table write them.
QStringList ProgramStepFields(const TProgramStep& step);
