#pragma once

#include <QByteArray>

#include <string>

// A journal as a tidy table for analysis tools: one header line
// ("time,mode,method,gas_a_g,gas_b_g,h2o_g,total_g,mass_fraction_a, ...,
// ppm_h2o"), then one line for each row of the journal, the plan markers
// ("Reset") and alarms included, in the journal's order: the row's date and
// time in ISO 8601 with its UTC offset, its mode and method, and its
// numbers plain, with a point. Cells are separated by commas and quoted only
// where they must be (RFC 4180). The plan reports and the closing line are
// left out. The file's rows have lost their spaces: a method's name gets
// them back, an alarm's cause does not.
struct TJournalExport {
    std::string Csv;
    std::string Problem;   // why there is no table ("" when there is one)
    int SkippedLines = 0;  // rows cut short (a run that ended mid-write)
};
// `journal` is the file's bytes, in the system's encoding as written.
TJournalExport ExportJournal(const QByteArray& journal);
