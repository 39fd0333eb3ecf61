#pragma once

#include <QString>
#include <QStringList>

class QIODevice;
class TLogTableModel;

// The plan report as it goes into the file: the memo's text with a CR
// appended, split where each CR LF, lone CR or lone LF ends a line. A text
// that ends with a line break, and an empty text, yield one empty last line.
QStringList ReportFileLines(const QString& memoText);

// Writes the log file to `device`: "Data starts after *** line", the report
// lines, "*********", the header line and one line per data row, cells joined
// by ";". A cell holding a space, a control character, a double quote or a
// semicolon is quoted with inner quotes doubled; data lines then lose every
// space. Lines end in CR LF; the text is 8-bit in the system's encoding
// without a byte-order mark. Returns false when a write fails.
bool WriteLogFile(QIODevice& device, const QString& memoText, const TLogTableModel& log);

// Creates `path` (never replacing an existing file) and writes the log into
// it. On failure nothing is left behind and false is returned.
bool SaveLogFile(const QString& path, const QString& memoText, const TLogTableModel& log);
