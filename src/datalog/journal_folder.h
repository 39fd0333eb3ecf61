#pragma once

#include <QString>

// Journals untouched for this many days are removed at start-up.
inline constexpr int JournalKeepDays = 30;

// The journals in a folder: files named after their run's start time,
// "yyyy-mm-dd hh_nn_ss.csv" (with " (2)" and so on when two runs start in
// the same second). No other file there is ever touched.
struct TJournalFolderScan {
    // The newest earlier journal, when it lacks its closing line.
    QString Unclosed;
    // How many journals were removed.
    int Removed = 0;
};

// Removes the journals of `folder` last written more than JournalKeepDays
// before `wallDays` (the journal named in Unclosed excepted, so the message
// about it stays true), and looks whether the newest one was closed.
TJournalFolderScan TidyJournalFolder(const QString& folder, double wallDays);

// A new journal's path in `folder` for a run started at `wallDays`; no
// file of that name exists yet.
QString NewJournalPath(const QString& folder, double wallDays);

// The line a journal ends with when its run ended cleanly.
QString JournalClosingLine(double wallDays);
// Whether the journal at `path` ends with its closing line.
bool JournalIsClosed(const QString& path);
