#include "journal_export.h"

#include "columns.h"
#include "journal.h"
#include "mixing_method.h"
#include "quoted_text.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <vector>

namespace {

// The table's name of each log column, by TProperty; the Time column's
// place is taken by the journal's date and time.
constexpr std::array<const char*, PropertyCount> TidyNames
    = {"time",      "mode",    "method",          "gas_a_g",         "gas_b_g",
       "h2o_g",     "total_g", "mass_fraction_a", "mass_fraction_b", "mass_fraction_h2o",
       "total_mol", "mol_a",   "mol_b",           "mol_h2o",         "ppm_a",
       "ppm_b",     "ppm_h2o"};

const QString Stars = QStringLiteral("*********");

// The file's rows lose every space; the Method cell gets a method's name
// back whole ("A(pulse)inB/H2O" is "A (pulse) in B/H2O"). Other texts, an
// alarm's cause among them, stay as written.
QString MethodName(const QString& written)
{
    for (int m = 0; m <= static_cast<int>(TMixingMethod::BPure); ++m) {
        const std::string_view name = MixingMethodName(static_cast<TMixingMethod>(m));
        const QString whole = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
        if (!whole.isEmpty() && QString(whole).remove(QLatin1Char(' ')) == written)
            return whole;
    }
    return written == QStringLiteral("H2Opulse") ? QStringLiteral("H2O pulse") : written;
}

// The cells of one line of the log's format: ";"-separated, a quoted cell
// with its quotes doubled inside.
std::vector<QString> Cells(const QString& line)
{
    std::vector<QString> cells(1);
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == QLatin1Char('"') && i + 1 < line.size() && line[i + 1] == QLatin1Char('"'))
            cells.back() += line[++i];
        else if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(';') && !quoted)
            cells.emplace_back();
        else
            cells.back() += c;
    }
    return cells;
}

// A text cell as RFC 4180 wants it.
std::string Text(const QString& cell)
{
    const std::string text = cell.toStdString();
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    return DoubleQuoted(text);
}

// A number cell as the log writes it ("0,012345", "0000150") made plain:
// a point, no leading zeros, the shortest digits that read back the same.
std::string Number(const QString& cell)
{
    if (cell.isEmpty())
        return {};
    std::string text = cell.toStdString();
    for (char& c : text)
        c = c == ',' ? '.' : c;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return Text(cell);  // not a number after all: kept as text
    char digits[32];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, written.ptr);
}

}  // namespace

TJournalExport ExportJournal(const QByteArray& journal)
{
    TJournalExport result;
    QStringDecoder decode(QStringConverter::System);
    QStringList lines = QString(decode(journal)).split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    // The opening: a first line, the report, the stars; then the header.
    const qsizetype headerAt = lines.indexOf(Stars) + 1;
    if (headerAt == 0 || headerAt >= lines.size() || !lines[0].startsWith(QStringLiteral("Data starts after"))) {
        result.Problem = "not a journal (no header after the opening lines)";
        return result;
    }
    const std::vector<QString> header = Cells(lines[headerAt]);
    const auto stampAt = std::find(header.begin(), header.end(), QString::fromLatin1(JournalStampCaption));
    if (stampAt == header.end()) {
        result.Problem = "its rows carry no date (a journal written before they did)";
        return result;
    }
    // Where each column of the table is in the journal's rows.
    std::array<int, PropertyCount> at{};
    const TColumnTable columns = StandardLogColumns();
    for (int p = 0; p < PropertyCount; ++p) {
        const auto found = std::find(header.begin(), header.end(), columns[p].Caption);
        at[p] = p == static_cast<int>(TProperty::Time) ? static_cast<int>(stampAt - header.begin())
            : found == header.end()                    ? -1
                                                       : static_cast<int>(found - header.begin());
    }

    std::string& csv = result.Csv;
    for (int p = 0; p < PropertyCount; ++p)
        csv += std::string(p ? "," : "") + TidyNames[p];
    csv += '\n';
    bool inReport = false;
    for (qsizetype i = headerAt + 1; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line == Stars) {
            inReport = !inReport;
            continue;
        }
        if (inReport || line.isEmpty() || line.startsWith(QStringLiteral("Run closed at ")))
            continue;
        const std::vector<QString> cells = Cells(line);
        if (cells.size() != header.size()) {
            ++result.SkippedLines;
            continue;
        }
        for (int p = 0; p < PropertyCount; ++p) {
            if (p)
                csv += ',';
            if (at[p] < 0)
                continue;
            const auto property = static_cast<TProperty>(p);
            const QString& written = cells[static_cast<std::size_t>(at[p])];
            const QString cell = property == TProperty::Method ? MethodName(written) : written;
            const bool text
                = property == TProperty::Time || property == TProperty::Mode || property == TProperty::Method;
            csv += text ? Text(cell) : Number(cell);
        }
        csv += '\n';
    }
    return result;
}
