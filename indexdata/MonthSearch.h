// The linear month search that both date entries run: from record 1, one
// record after another, first match wins. It reads and tells what it found
// (where it stopped, the record read last, raw and converted); it writes
// nothing, and keeping the result is the caller's. Nothing of the table is
// kept.
#pragma once

#include "indexdata/TableFile.h"

struct MonthFound {
    // The matching record's number, or bound + 1 when none matched.
    Long recNo = 1;
    // Whether a record was read at all (a bound of at least 1).
    bool read = false;
    IndexRecord record;  // the record read last, raw
    IndexValues values;  // the same, converted
    // Whether `values` are that month's: false when no record matched, and
    // when the year held is 0 (a blank record is no month).
    bool found = false;
};

// Searches the first `bound` records for the month. A table with a month
// index for these records (TableFile::buildMonthIndex) is not read again:
// the result is the same.
MonthFound monthSearch(TableFile& table, Long bound, Long month, Long year);
