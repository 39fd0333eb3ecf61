#include "log_lines.h"

#include <QLocale>

namespace {

const char* const Stars = "*********\r\n";

bool NeedsQuotes(std::string_view cell)
{
    for (unsigned char c : cell) {
        if (c <= ' ' || c == '"' || c == ';')
            return true;
    }
    return false;
}

// Appends a cell, quoted where needed; `keepSpaces` false drops every space
// (the quoting is decided on the cell as shown, spaces included).
void AppendQuoted(std::string& line, std::string_view cell, bool keepSpaces)
{
    const bool quoted = NeedsQuotes(cell);
    if (quoted)
        line += '"';
    for (char c : cell) {
        if (c == ' ' && !keepSpaces)
            continue;
        if (c == '"')
            line += '"';
        line += c;
    }
    if (quoted)
        line += '"';
}

}  // namespace

QStringList ReportFileLines(const QString& memoText)
{
    const QString text = memoText + QLatin1Char('\r');
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << line;
            line.clear();
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
        } else {
            line += c;
        }
    }
    return lines;
}

TLogLineWriter::TLogLineWriter()
    : encoder_(QStringConverter::System)
    , point_(encoder_.encode(QLocale().decimalPoint()))
{
}

void TLogLineWriter::AppendLine(std::string& out, const QString& text)
{
    const QByteArray bytes = encoder_.encode(text);
    out.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    out += "\r\n";
}

void TLogLineWriter::AppendOpening(std::string& out, const QString& reportText)
{
    AppendLine(out, QStringLiteral("Data starts after *** line"));
    for (const QString& line : ReportFileLines(reportText))
        AppendLine(out, line);
    out += Stars;
}

void TLogLineWriter::AppendHeader(std::string& out, const TLogCellFormat& format, const QString& lastCaption)
{
    for (int c = 0; c <= PropertyCount; ++c) {
        if (c == PropertyCount && lastCaption.isEmpty())
            break;
        if (c > 0)
            out += ';';
        const QByteArray caption = encoder_.encode(c < PropertyCount ? format.Caption(c) : lastCaption);
        AppendQuoted(out, std::string_view(caption.constData(), static_cast<std::size_t>(caption.size())), true);
    }
    out += "\r\n";
}

void TLogLineWriter::AppendRow(std::string& out, const TLogCellFormat& format, const TLogRow& row,
                               const std::vector<std::string>& texts, const std::string* lastCell)
{
    const std::string_view point(point_.constData(), static_cast<std::size_t>(point_.size()));
    for (int c = 0; c < PropertyCount; ++c) {
        if (c > 0)
            out += ';';
        cell_.clear();
        format.AppendCell(cell_, row, texts, c, point);
        AppendQuoted(out, cell_, false);
    }
    if (lastCell) {
        out += ';';
        out += *lastCell;
    }
    out += "\r\n";
}

void TLogLineWriter::AppendReportBlock(std::string& out, const QString& reportText)
{
    out += Stars;
    for (const QString& line : ReportFileLines(reportText))
        AppendLine(out, line);
    out += Stars;
}
