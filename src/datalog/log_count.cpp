#include "log_count.h"

int TLogCount::Store(const TLogRowValues& values)
{
    if (FirstRowTimed_)
        return Rows_++;
    FirstRowWritten_ = true;
    FirstRowTimed_ = values.Has(TProperty::Time);
    return 0;
}
