// A flow program's steps and its file: a header line, then one step a line,
// as the program writes it or as a spreadsheet saves it in either decimal
// convention.
#include "flow_program.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>

#include <cmath>
#include <optional>

const char* const FlowProgramHeader = "ppm_a;ppm_h2o;minutes;flush_before";

namespace {

constexpr int FieldCount = 4;
const char* const FieldNames[FieldCount] = {"ppm_a", "ppm_h2o", "minutes", "flush_before"};
// A program is a few hundred bytes; anything far larger is not one.
constexpr qint64 FileBytesMax = 1 << 20;

// A number with a decimal point or a decimal comma and an optional
// exponent; nothing for any other text. A separator followed by exactly
// three digits after one to three leading digits ("1.000", "7,300") may
// group thousands in the other convention: such a text is refused rather
// than read the wrong way.
std::optional<double> ReadNumber(const QString& field, QString& why)
{
    QString text = field.trimmed();
    why = QStringLiteral("'%1' is not a number").arg(field.trimmed());
    if (text.isEmpty()) {
        why = QStringLiteral("a number is missing");
        return std::nullopt;
    }
    int i = 0;
    if (text[0] == QLatin1Char('+') || text[0] == QLatin1Char('-'))
        ++i;
    const int wholeStart = i;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
        ++i;
    const int wholeDigits = i - wholeStart;
    int fractionDigits = 0;
    bool separator = false;
    if (i < text.size() && (text[i] == QLatin1Char('.') || text[i] == QLatin1Char(','))) {
        separator = true;
        text[i] = QLatin1Char('.');
        ++i;
        while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
            ++i;
            ++fractionDigits;
        }
    }
    if (wholeDigits + fractionDigits == 0)
        return std::nullopt;
    bool exponent = false;
    if (i < text.size() && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        exponent = true;
        ++i;
        if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            ++i;
        const int start = i;
        while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
            ++i;
        if (i == start)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    if (separator && !exponent && fractionDigits == 3 && wholeDigits >= 1 && wholeDigits <= 3
        && text[wholeStart] != QLatin1Char('0')) {
        why = QStringLiteral("'%1' could be read two ways: write it without a thousands separator")
                  .arg(field.trimmed());
        return std::nullopt;
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::int32_t ReadPpm(const QString& field, const char* what, std::int32_t most)
{
    QString why;
    const std::optional<double> value = ReadNumber(field, why);
    if (!value)
        throw std::runtime_error(QStringLiteral("%1: %2").arg(QLatin1String(what), why).toStdString());
    if (*value != std::floor(*value) || *value < 0 || *value > most)
        throw std::runtime_error(QStringLiteral("%1 must be a whole number from 0 to %2, not '%3'")
                                     .arg(QLatin1String(what))
                                     .arg(most)
                                     .arg(field.trimmed())
                                     .toStdString());
    return static_cast<std::int32_t>(*value);
}

double ReadMinutes(const QString& field)
{
    QString why;
    const std::optional<double> value = ReadNumber(field, why);
    if (!value)
        throw std::runtime_error(QStringLiteral("minutes: %1").arg(why).toStdString());
    if (!(*value > 0.0) || *value > ProgramMinutesMax)
        throw std::runtime_error(QStringLiteral("minutes must be above 0 and at most %1 (ten days), not '%2'")
                                     .arg(ProgramMinutesMax)
                                     .arg(field.trimmed())
                                     .toStdString());
    return *value;
}

// What spreadsheets write for a checked or unchecked cell, in the languages
// of the lab's likely users, and what an operator would type.
bool ReadYesNo(const QString& field)
{
    static const char* const yes[]
        = {"1", "true", "yes", "y", "x", "wahr", "ja", "vrai", "oui", "verdadero", "vero", "waar", "sí", "si"};
    static const char* const no[] = {"0", "false", "no", "n", "", "falsch", "nein", "faux", "non", "falso", "onwaar"};
    const QString text = field.trimmed().toLower();
    for (const char* word : yes)
        if (text == QString::fromUtf8(word))
            return true;
    for (const char* word : no)
        if (text == QString::fromUtf8(word))
            return false;
    throw std::runtime_error(QStringLiteral("flush_before must be yes or no (1 or 0, true or false), not '%1'")
                                 .arg(field.trimmed())
                                 .toStdString());
}

// The fields of one line, separated by `separator`; a field in double
// quotes may hold the separator, and "" in it is one quote. Nothing when a
// quote is left open.
std::optional<QStringList> SplitLine(const QString& line, QChar separator)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == separator) {
            fields << field;
            field.clear();
            wasQuoted = false;
        } else if (c == QLatin1Char('"') && !wasQuoted && field.trimmed().isEmpty()) {
            quoted = wasQuoted = true;
            field.clear();
        } else {
            field += c;
        }
    }
    if (quoted)
        return std::nullopt;
    fields << field;
    return fields;
}

bool AllBlank(const QStringList& fields, int from = 0)
{
    for (int i = from; i < fields.size(); ++i)
        if (!fields[i].trimmed().isEmpty())
            return false;
    return true;
}

QString Separated(QChar separator)
{
    return separator == QLatin1Char('\t') ? QStringLiteral("tabs") : QStringLiteral("'%1'").arg(separator);
}

}  // namespace

TFlowProgramError::TFlowProgramError(int line, const QString& reason)
    : std::runtime_error((line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(reason) : reason).toStdString())
    , Line_(line)
    , Reason_(reason)
{
}

TProgramStep ReadProgramStep(const QStringList& fields)
{
    if (fields.size() < FieldCount || !AllBlank(fields, FieldCount))
        throw std::runtime_error(QStringLiteral("%1 fields where 4 belong").arg(fields.size()).toStdString());
    TProgramStep step;
    step.PpmA = ReadPpm(fields[0], "ppm_a", ProgramPpmMax);
    step.PpmH2O = ReadPpm(fields[1], "ppm_h2o", ProgramWaterPpmMax);
    step.Minutes = ReadMinutes(fields[2]);
    step.FlushBefore = ReadYesNo(fields[3]);
    return step;
}

TFlowProgram ReadFlowProgram(const QByteArray& bytes)
{
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QStringList lines = text.split(QLatin1Char('\n'));

    QChar separator;
    TFlowProgram program;
    for (int n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const int number = n + 1;
        if (n == 0) {
            for (const QChar candidate : {QLatin1Char(';'), QLatin1Char(','), QLatin1Char('\t')}) {
                if (line.contains(candidate)) {
                    separator = candidate;
                    break;
                }
            }
            const std::optional<QStringList> names = separator.isNull() ? std::nullopt : SplitLine(line, separator);
            bool header = names && names->size() >= FieldCount && AllBlank(*names, FieldCount);
            for (int i = 0; header && i < FieldCount; ++i)
                header = (*names)[i].trimmed().compare(QLatin1String(FieldNames[i]), Qt::CaseInsensitive) == 0;
            if (!header)
                throw TFlowProgramError(
                    1, QStringLiteral("the first line must be %1").arg(QLatin1String(FlowProgramHeader)));
            continue;
        }
        const std::optional<QStringList> fields = SplitLine(line, separator);
        if (!fields)
            throw TFlowProgramError(number, QStringLiteral("a quote is not closed"));
        if (AllBlank(*fields))
            continue;
        if (fields->size() < FieldCount || !AllBlank(*fields, FieldCount))
            throw TFlowProgramError(number,
                                    QStringLiteral("%1 fields separated by %2 where 4 belong")
                                        .arg(fields->size())
                                        .arg(Separated(separator)));
        if (static_cast<int>(program.size()) == ProgramStepsMax)
            throw TFlowProgramError(number, QStringLiteral("more than %1 steps").arg(ProgramStepsMax));
        try {
            program.push_back(ReadProgramStep(*fields));
        } catch (const std::runtime_error& e) {
            throw TFlowProgramError(number, QString::fromStdString(e.what()));
        }
    }
    if (program.empty())
        throw TFlowProgramError(2, QStringLiteral("no step below the header"));
    return program;
}

TFlowProgram LoadFlowProgram(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TFlowProgramError(0, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    if (file.size() > FileBytesMax)
        throw TFlowProgramError(0, QStringLiteral("%1 is too large for a program").arg(path));
    return ReadFlowProgram(file.read(FileBytesMax + 1));
}

namespace {

// Minutes as the shortest text that reads back to the same number, with a
// fourth decimal where three could be taken for a thousands group.
QString MinutesText(double minutes)
{
    QString text = QString::number(minutes, 'g', QLocale::FloatingPointShortest);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point > 0 && !text.contains(QLatin1Char('e')) && text.size() - point - 1 == 3)
        text += QLatin1Char('0');
    return text;
}

}  // namespace

QStringList ProgramStepFields(const TProgramStep& step)
{
    return {QString::number(step.PpmA), QString::number(step.PpmH2O), MinutesText(step.Minutes),
            step.FlushBefore ? QStringLiteral("1") : QStringLiteral("0")};
}

QByteArray FlowProgramText(const TFlowProgram& program)
{
    QByteArray text = QByteArray(FlowProgramHeader) + "\r\n";
    for (const TProgramStep& step : program)
        text += ProgramStepFields(step).join(QLatin1Char(';')).toUtf8() + "\r\n";
    return text;
}

void SaveFlowProgram(const QString& path, const TFlowProgram& program)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(FlowProgramText(program)) < 0 || !file.commit())
        throw std::runtime_error(
            QStringLiteral("The program could not be saved to %1: %2").arg(path, file.errorString()).toStdString());
}
