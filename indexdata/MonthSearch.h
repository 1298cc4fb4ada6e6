// The linear month search that both date entries run: from record 1, one
// record after another, first match wins; the record read last ends up in
// recIndex and in the "o" or "t" values. Nothing of the table is kept.
#pragma once

#include "app/CalcState.h"
#include "indexdata/TableFile.h"

// Leaves st.lngRecNo at the matching record (or lngRecCount + 1) and the
// target holding the record read last. Returns whether the target now
// holds that month's values: false when no record matched, and when the
// year held is 0 (a blank record is no month). It finds and tells; saying
// it to the user is the caller's. A table with a month index for these
// records (TableFile::buildMonthIndex) is not read again: the result is the
// same.
bool monthSearch(CalcState& st, TableFile& table, IndexValues& target, Long month, Long year);
