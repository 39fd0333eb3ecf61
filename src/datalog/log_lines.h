#pragma once

#include "log_cells.h"
#include "log_store.h"

#include <QString>
#include <QStringEncoder>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

// The plan report as it goes into the file: the memo's text with a CR
// appended, split where each CR LF, lone CR or lone LF ends a line. A text
// that ends with a line break, and an empty text, yield one empty last line.
QStringList ReportFileLines(const QString& memoText);

// The lines of the log's file format, as 8-bit text in the system's encoding
// without a byte-order mark, each ended by CR LF. The saved file and the
// journal are made of these lines. Numbers take the decimal separator of the
// locale at the writer's making. One writer serves one thread.
class TLogLineWriter {
public:
    TLogLineWriter();

    // "Data starts after *** line", the report lines, "*********".
    void AppendOpening(std::string& out, const QString& reportText);
    // The captions joined by ";", quoted where needed, spaces kept; a
    // caption after them when `lastCaption` is given.
    void AppendHeader(std::string& out, const TLogCellFormat& format, const QString& lastCaption = {});
    // One row's cells joined by ";". A cell holding a space, a control
    // character, a double quote or a semicolon is quoted with inner quotes
    // doubled; the line then loses every space. A `lastCell` given goes
    // after them as it is.
    void AppendRow(std::string& out, const TLogCellFormat& format, const TLogRow& row,
                   const std::vector<std::string>& texts, const std::string* lastCell = nullptr);
    // A plan report inside the rows: "*********", its lines, "*********".
    void AppendReportBlock(std::string& out, const QString& reportText);
    // Any one line of text.
    void AppendLine(std::string& out, const QString& text);

private:
    QStringEncoder encoder_;
    QByteArray point_;
    std::string cell_;
};
