#include "journal.h"

#include "clock.h"
#include "day_count.h"
#include "file_sync.h"
#include "journal_folder.h"
#include "log_table_model.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>

TJournal::TJournal(Clock& clock, QObject* parent)
    : QObject(parent)
    , clock_(clock)
{
    // Rows may stop coming for a long time (Standby): what was written
    // before still reaches the disk in time.
    syncTimer_.setInterval(static_cast<int>(JournalSyncSeconds * 1000));
    connect(&syncTimer_, &QTimer::timeout, this, [this] {
        if (closed_)
            return;
        CheckSync();
        if (dirty_ && healthy_)
            RequestSync();
    });
}

TJournal::~TJournal() = default;  // the sync thread stops before the file closes

QString TJournal::DefaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QStringLiteral("journal"));
}

void TJournal::UseFolder(const QString& folder)
{
    folder_ = folder;
    const double now = clock_.wallNow();
    unclosed_ = TidyJournalFolder(folder, now).Unclosed;
    path_ = NewJournalPath(folder, now);
}

void TJournal::UseFile(const QString& path)
{
    folder_.clear();
    path_ = path;
}

void TJournal::Follow(const TLogTableModel& log)
{
    log_ = &log;
    lines_ = std::make_unique<TLogLineWriter>();
    lastSync_ = clock_.now();
    connect(&log, &TLogTableModel::RowStored, this, [this](int row) { Stored(row, false); });
    connect(&log, &TLogTableModel::MarkerStored, this, [this](int row) { Stored(row, true); });
    connect(&log, &TLogTableModel::ReportAttached, this, [this] { ReportAttached(); });
    syncer_ = std::make_unique<TDiskSyncThread>();
    syncTimer_.start();
    if (WriteRows(0, log.DataRows() - 1))
        RequestSync();
}

void TJournal::Stored(int row, bool marker)
{
    if (closed_)
        return;
    CheckSync();
    if (marker)
        markerTimes_[row] = clock_.wallNow();
    const int mode = log_->Row(row).Mode;
    const bool change = marker || mode != lastMode_;
    lastMode_ = mode;
    if (marker)  // a marker written over another one brings a report of its own
        blockWritten_ = std::min(blockWritten_, row - 1);
    if (!healthy_ && !change)
        return;  // the row waits in the log until the next change of state
    if (!WriteRows(std::min(nextRow_, row), row))
        return;
    if (change || clock_.now() - lastSync_ >= JournalSyncSeconds * OneSecondInDays)
        RequestSync();
    healthy_ = true;
    if (reported_) {
        reported_ = false;
        emit Recovered(QStringLiteral("The journal %1 is written again.").arg(QDir::toNativeSeparators(path_)));
    }
}

void TJournal::ReportAttached()
{
    // The report belongs to the marker stored last; it is written now, or
    // with the marker when the journal catches up.
    if (!closed_ && healthy_)
        WriteRows(nextRow_, nextRow_ - 1);
}

QString TJournal::ReportAt(int row) const
{
    const auto& markers = log_->Markers();
    const auto m = std::lower_bound(markers.begin(), markers.end(), row,
                                    [](const TLogMarker& marker, int r) { return marker.Row < r; });
    return m != markers.end() && m->Row == row ? m->Report : QString();
}

bool TJournal::WriteRows(int from, int upto, const QString& closingLine)
{
    if (!log_)
        return false;
    out_.clear();
    if (!file_.isOpen() && !Open())
        return false;
    if (torn_ && !file_.resize(goodBytes_))
        out_ += "\r\n";  // what could not be cut off stays on a line of its own
    if (!openingWritten_) {
        lines_->AppendOpening(out_, QString());
        lines_->AppendHeader(out_, log_->Format(), QString::fromLatin1(JournalStampCaption));
    }
    int blockWritten = blockWritten_;
    auto appendBlock = [&](int row) {
        const QString report = ReportAt(row);
        if (blockWritten < row && !report.isEmpty()) {
            lines_->AppendReportBlock(out_, report);
            blockWritten = row;
        }
    };
    if (from > 0)
        appendBlock(from - 1);  // the report of a marker written earlier
    for (int r = from; r <= upto; ++r) {
        const TLogRow& row = log_->Row(r);
        if (row.Written == 0)
            continue;  // the table's first row before anything was stored
        lines_->AppendRow(out_, log_->Format(), row, log_->Texts(), &StampOf(r, row));
        appendBlock(r);
    }
    if (!closingLine.isEmpty())
        lines_->AppendLine(out_, closingLine);
    if (out_.empty())
        return true;

    const auto size = static_cast<qint64>(out_.size());
    if (file_.write(out_.data(), size) != size) {
        torn_ = true;
        Fail(file_.errorString());
        file_.unsetError();
        return false;
    }
    torn_ = false;
    goodBytes_ += size;
    dirty_ = true;
    openingWritten_ = true;
    nextRow_ = std::max(nextRow_, upto + 1);
    blockWritten_ = blockWritten;
    markerTimes_.erase(markerTimes_.begin(), markerTimes_.lower_bound(nextRow_));
    return true;
}

const std::string& TJournal::StampOf(int row, const TLogRow& stored)
{
    stamp_.clear();
    const auto marker = markerTimes_.find(row);
    double time = 0.0;
    if (stored.Written & PropertyBit(TProperty::Time))
        time = stored.Time;
    else if (marker != markerTimes_.end())
        time = marker->second;
    if (time == 0.0)
        return stamp_;
    // The date, the hour and minute and the offset change once a minute at
    // most: they are worked out then, the seconds at every row.
    const DayParts parts = SplitDayCount(time);
    const long long minute = parts.days * 1440 + parts.msOfDay / 60000;
    if (minute != stampMinute_) {
        const std::string iso = DayCountToIsoText(time).toStdString();  // "yyyy-MM-ddTHH:mm:ss.zzz+hh:mm"
        stampHead_ = iso.substr(0, 17);
        stampZone_ = iso.substr(23);
        stampMinute_ = minute;
    }
    char seconds[16];
    std::snprintf(seconds, sizeof seconds, "%02d.%03d", parts.msOfDay / 1000 % 60, parts.msOfDay % 1000);
    stamp_ = stampHead_ + seconds + stampZone_;
    return stamp_;
}

bool TJournal::Open()
{
    // Unbuffered: every write goes straight to the system; Append: after a
    // torn write is cut off, writing goes on at the new end (a device given
    // as the target has no end to seek).
    QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    const QFileInfo target(path_);
    if (!target.exists() || target.isFile())
        mode |= QIODevice::Append;
    bool opened = false;
    if (!folder_.isEmpty()) {
        QDir().mkpath(folder_);
        if (QFileInfo::exists(path_))  // taken meanwhile by another run
            path_ = NewJournalPath(folder_, clock_.wallNow());
        file_.setFileName(path_);
        opened = file_.open(mode | QIODevice::NewOnly);
    } else {
        file_.setFileName(path_);
        opened = file_.open(mode);
    }
    if (!opened) {
        Fail(file_.errorString());
        file_.unsetError();
        return false;
    }
    goodBytes_ = file_.size();
    return true;
}

void TJournal::RequestSync()
{
    if (!syncer_ || !file_.isOpen())
        return;
    dirty_ = false;
    lastSync_ = clock_.now();
    syncer_->Request(file_.handle());
}

void TJournal::CheckSync()
{
    if (syncer_ && syncer_->TakeFailure())
        Fail(QStringLiteral("the data could not be put on the disk"));
}

void TJournal::Fail(const QString& reason)
{
    healthy_ = false;
    if (reported_)
        return;
    reported_ = true;
    emit Failed(QStringLiteral("The journal %1 cannot be written (%2). The rows stay in the table; the journal is "
                               "tried again at the next change of state.")
                    .arg(QDir::toNativeSeparators(path_), reason));
}

void TJournal::Close()
{
    if (closed_)
        return;
    closed_ = true;
    syncTimer_.stop();
    if (syncer_) {
        syncer_->Stop();
        CheckSync();
    }
    if (log_) {
        disconnect(log_, nullptr, this, nullptr);
        // One last try, whatever happened before; the program is ending, so
        // this sync is waited for here.
        if (WriteRows(nextRow_, log_->DataRows() - 1, JournalClosingLine(clock_.wallNow()))
            && !SyncToDisk(file_.handle()))
            Fail(QStringLiteral("the data could not be put on the disk"));
    }
    file_.close();
}
