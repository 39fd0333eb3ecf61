#pragma once

#include "log_lines.h"

#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>
#include <memory>
#include <string>

class Clock;
class TDiskSyncThread;
class TLogTableModel;

// The caption of the journal's last column.
inline constexpr const char* JournalStampCaption = "Date and time";

// What is written is put on the disk at every change of state and at least
// this often.
inline constexpr double JournalSyncSeconds = 10.0;

// The log's journal: a file that receives every row and every "Reset"
// marker as the log stores it, with each plan's report after its marker,
// in the lines of the saved file. It opens like a saved file with an empty
// report, and a clean end writes a closing line, so a journal without one
// is the record of a run that ended abruptly. Each row carries one cell
// more than the saved file's, "Date and time": the moment it was stored,
// in ISO 8601 with the UTC offset, so a run of days can be dated (the Time
// cell has the time of day only).
//
// Each row is handed to the operating system before the storing call
// returns (one write, nothing left in a buffer of ours), so a killed process
// loses nothing. Putting the file on the disk can take a busy disk a long
// while, so that runs on a thread of its own and never holds up the caller.
// A journal that cannot be written never stops the caller:
// it announces Failed once, leaves the rows to the log, and tries again at
// the next change of state, writing then every row it missed.
class TJournal final : public QObject {
    Q_OBJECT

public:
    explicit TJournal(Clock& clock, QObject* parent = nullptr);
    ~TJournal() override;

    // The user's data folder of the program, subfolder "journal".
    static QString DefaultFolder();

    // Start-up in `folder`: old journals are removed, the newest earlier one
    // is checked for its closing line, and this run's journal is named after
    // the clock's wall time. The file is made when the journal follows a log.
    void UseFolder(const QString& folder);
    // Appends to `path` instead; no folder is looked at.
    void UseFile(const QString& path);

    // Writes the opening lines and the rows `log` holds, then follows it.
    // The log must outlive the journal or its Close.
    void Follow(const TLogTableModel& log);

    const QString& Path() const { return path_; }
    // The newest earlier journal when it lacks its closing line, else "".
    const QString& UnclosedPrevious() const { return unclosed_; }
    // Everything stored so far is in the file.
    bool UpToDate() const { return healthy_; }

    // Writes what is missing and the closing line, puts it on the disk and
    // closes the file; nothing is written afterwards. Safe to call again.
    // Called on the log's thread (the window's close, the end of main, or
    // the path that turns a termination signal into an orderly close).
    void Close();

signals:
    // The journal cannot be written; said once until it can be again.
    void Failed(const QString& message);
    // The journal is written again, the missed rows included.
    void Recovered(const QString& message);

private:
    void Stored(int row, bool marker);
    void ReportAttached();
    bool WriteRows(int from, int upto, const QString& closingLine = {});
    bool Open();
    void RequestSync();
    void CheckSync();
    void Fail(const QString& reason);
    QString ReportAt(int row) const;
    // The "Date and time" cell of a row: its own time, or for a marker the
    // moment it was stored.
    const std::string& StampOf(int row, const TLogRow& stored);

    Clock& clock_;
    QString folder_;  // empty: a file given by UseFile
    QString path_;
    QString unclosed_;
    QFile file_;
    const TLogTableModel* log_ = nullptr;
    std::unique_ptr<TLogLineWriter> lines_;
    std::string out_;
    std::string stamp_;
    std::string stampHead_;              // "yyyy-MM-ddTHH:mm:" of the minute below
    std::string stampZone_;              // its offset from UTC, "+hh:mm"
    long long stampMinute_ = -1;         // minutes since day 0 of the last stamp
    std::map<int, double> markerTimes_;  // wall day count of each marker not yet written
    QTimer syncTimer_;
    std::unique_ptr<TDiskSyncThread> syncer_;

    bool openingWritten_ = false;
    int nextRow_ = 0;        // first log row not in the file
    int blockWritten_ = -1;  // last marker row whose report is in the file
    int lastMode_ = -1;      // Mode text of the row stored last
    qint64 goodBytes_ = 0;   // file size after the last whole write
    bool torn_ = false;      // a write failed part-way
    bool dirty_ = false;     // written since the last sync was asked for
    bool healthy_ = true;    // everything stored is in the file
    bool reported_ = false;  // the failure has been announced
    bool closed_ = false;
    double lastSync_ = 0;  // when the last sync was asked for
};
