#pragma once

#include "log_row.h"

// The log's rows as their writer counts them, the table's rule: the table
// starts with one empty row; a row written while that first row has no time
// (it is empty or holds a marker) is written into it, and from the first row
// with a time on every row is appended.
class TLogCount {
public:
    // The row `values` go into, and counts it.
    int Store(const TLogRowValues& values);
    // Rows that hold something.
    int StoredRows() const { return Rows_ - (FirstRowWritten_ ? 0 : 1); }

private:
    int Rows_ = 1;
    bool FirstRowWritten_ = false;
    bool FirstRowTimed_ = false;
};
