#pragma once

#include "records.h"

#include <QString>

#include <string>
#include <vector>

// The lab's records as a file: what the window, dilutra-cli records and
// dilutra-cli serve read at start and write when the operator sets or
// confirms a record. An INI file of Qt's settings; shares are kept as
// fractions of 1, dates as ISO texts.

// What a load found: the records that can be used, and one line for each
// record left out or for a file that could not be read (its defaults are
// then used).
struct TRecordsLoad {
    TRecords Records;
    std::vector<std::string> Problems;
};

class TRecordStore {
public:
    // The records file in the user's configuration folder, or the file
    // DILUTRA_RECORDS names when it is set.
    TRecordStore();
    // The records kept in `path` (tests, a second rig).
    explicit TRecordStore(QString path);

    static QString DefaultPath();
    const QString& Path() const { return Path_; }

    // Every record of the file, each checked as a new one is; a missing
    // file holds no records and is no problem.
    TRecordsLoad Load() const;
    // Writes `records` in place of the file's: "" when they are on disk,
    // otherwise why not (the first unsound record and its reason, or the
    // failure to write), and the file is left as it was. A file that could
    // not be read is kept beside the new one, named with ".unreadable"
    // added.
    std::string Save(const TRecords& records) const;

private:
    QString Path_;
};

// The first unsound record of `records` and its reason; "" when all are
// sound. A second record of the same gas or serial is unsound too.
std::string RecordsFault(const TRecords& records);

// Puts a record in place of the one of its gas or serial, or adds it.
void PutSource(TRecords& records, const TSourceRecord& source);
void PutController(TRecords& records, const TControllerRecord& controller);
// Removes the record of a gas or serial; false when there was none.
bool RemoveSource(TRecords& records, const std::string& gas);
bool RemoveController(TRecords& records, const std::string& serial);

// Short lines for a listing, shares in percent: the source of each of
// `gases` and every other source held, the controller of each of `serials`
// and every other controller held, then the bubbler. Each line ends with
// "confirmed", "not confirmed" or "default" (the record is not held).
std::vector<std::string> RecordLines(const TRecords& records, const std::vector<std::string>& gases,
                                     const std::vector<std::string>& serials = {});

// A share as the listing and the forms show it, in percent ("0.5" for
// 0.005), to seven significant digits.
std::string PercentText(double share);
