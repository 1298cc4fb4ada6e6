// The linear month search that both date entries run: from record 1, one
// record after another, first match wins; the record read last ends up in
// recIndex and in the "o" or "t" values. Nothing of the table is kept.
#pragma once

#include "app/CalcState.h"
#include "indexdata/TableFile.h"
#include "platform/Platform.h"

// The not-found message of every search.
extern const QString kNotFoundMessage;

// Leaves st.lngRecNo at the matching record (or lngRecCount + 1) and the
// target holding the record read last. Beeps and shows the not-found
// message when no record matched, or when the year held is 0.
// Returns whether a record matched.
bool monthSearch(CalcState& st, TableFile& table, Platform& ui, IndexValues& target, Long month,
                 Long year);
