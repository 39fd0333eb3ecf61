#include "log_file.h"

#include "log_snapshot.h"
#include "log_table_model.h"

#include <QFile>

#include <string>

namespace {

constexpr std::size_t FlushBytes = 1 << 20;

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

private:
    QIODevice& device_;
    std::string buffer_;
    bool ok_ = true;
};

}  // namespace

bool WriteLogFile(QIODevice& device, const QString& memoText, const TLogSnapshot& log)
{
    TLogLineWriter lines;
    TBufferedWriter writer(device);
    std::string& out = writer.Buffer();
    lines.AppendOpening(out, memoText);
    lines.AppendHeader(out, log.Format());

    // With a single plan the report above is the plan's; with more, each
    // plan's report stands where it was made, and the report above is the
    // latest one as the operator sees it.
    const std::vector<TLogMarker>& markers = log.Markers();
    const bool blocks = markers.size() > 1;
    auto marker = markers.begin();
    for (std::size_t r = 0; r < log.Rows(); ++r) {
        lines.AppendRow(out, log.Format(), log.Row(r), log.Texts());
        if (blocks && marker != markers.end() && static_cast<std::size_t>(marker->Row) == r) {
            if (!marker->Report.isEmpty())
                lines.AppendReportBlock(out, marker->Report);
            ++marker;
        }
        if (!writer.FlushIfFull())
            return false;
    }
    return writer.Flush();
}

bool WriteLogFile(QIODevice& device, const QString& memoText, const TLogTableModel& log)
{
    return WriteLogFile(device, memoText, log.Snapshot());
}

bool SaveLogFile(const QString& path, const QString& memoText, const TLogSnapshot& log)
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

bool SaveLogFile(const QString& path, const QString& memoText, const TLogTableModel& log)
{
    return SaveLogFile(path, memoText, log.Snapshot());
}
