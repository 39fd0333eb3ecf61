#pragma once

#include "log_lines.h"

#include <QString>

class QIODevice;
class TLogSnapshot;
class TLogTableModel;

// Writes the log file to `device`: "Data starts after *** line", the report
// lines, "*********", the header line and one line per data row. Where the
// log holds more than one "Reset" marker, the report of each plan follows
// its marker line as a block between two "*********" lines. Returns false
// when a write fails.
bool WriteLogFile(QIODevice& device, const QString& memoText, const TLogSnapshot& log);
bool WriteLogFile(QIODevice& device, const QString& memoText, const TLogTableModel& log);

// Creates `path` (never replacing an existing file) and writes the log into
// it. On failure nothing is left behind and false is returned. The snapshot
// form may run on another thread than the log's.
bool SaveLogFile(const QString& path, const QString& memoText, const TLogSnapshot& log);
bool SaveLogFile(const QString& path, const QString& memoText, const TLogTableModel& log);
