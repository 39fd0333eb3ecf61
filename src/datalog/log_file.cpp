#include "log_file.h"

#include "log_table_model.h"

#include <QFile>
#include <QLocale>
#include <QStringEncoder>

#include <string>

namespace {

constexpr std::size_t FlushBytes = 1 << 20;

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
void AppendCell(std::string& line, std::string_view cell, bool keepSpaces)
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

class TBufferedWriter {
public:
    explicit TBufferedWriter(QIODevice& device)
        : device_(device)
    {
        buffer_.reserve(FlushBytes + 4096);
    }

    std::string& Buffer() { return buffer_; }

    bool FlushIfFull() { return buffer_.size() < FlushBytes || Flush(); }

    bool Flush()
    {
        const auto size = static_cast<qint64>(buffer_.size());
        const bool ok = size == 0 || device_.write(buffer_.data(), size) == size;
        buffer_.clear();
        ok_ = ok_ && ok;
        return ok_;
    }

    bool Ok() const { return ok_; }

private:
    QIODevice& device_;
    std::string buffer_;
    bool ok_ = true;
};

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

bool WriteLogFile(QIODevice& device, const QString& memoText, const TLogTableModel& log)
{
    QStringEncoder encoder(QStringConverter::System);
    TBufferedWriter writer(device);
    std::string& out = writer.Buffer();
    auto appendText = [&](const QString& text) {
        const QByteArray bytes = encoder.encode(text);
        out.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    };

    appendText(QStringLiteral("Data starts after *** line"));
    out += "\r\n";
    for (const QString& line : ReportFileLines(memoText)) {
        appendText(line);
        out += "\r\n";
    }
    out += "*********\r\n";

    // Header: the captions, quoted where needed, spaces kept.
    const int columns = log.columnCount();
    for (int c = 0; c < columns; ++c) {
        if (c > 0)
            out += ';';
        const QByteArray caption = encoder.encode(log.headerData(c, Qt::Horizontal).toString());
        AppendCell(out, std::string_view(caption.constData(), static_cast<std::size_t>(caption.size())), true);
    }
    out += "\r\n";

    // Data rows: the shown texts, quoted where needed, then without spaces.
    const QByteArray pointBytes = encoder.encode(QLocale().decimalPoint());
    const std::string_view point(pointBytes.constData(), static_cast<std::size_t>(pointBytes.size()));
    std::string cell;
    for (int r = 0; r < log.DataRows(); ++r) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                out += ';';
            cell.clear();
            log.AppendCellText(cell, r, c, point);
            AppendCell(out, cell, false);
        }
        out += "\r\n";
        if (!writer.FlushIfFull())
            return false;
    }
    return writer.Flush();
}

bool SaveLogFile(const QString& path, const QString& memoText, const TLogTableModel& log)
{
    QFile file(path);
    // NewOnly: a file that appeared since the name was checked is left alone.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    bool ok = WriteLogFile(file, memoText, log);
    ok = file.flush() && ok;
    file.close();
    ok = ok && file.error() == QFileDevice::NoError;
    if (!ok)
        file.remove();  // an incomplete log must not pass for a saved one
    return ok;
}
