// What the window shows beside its buttons: the state the next sheet would
// be computed from, as titled lines of Thai text — the table in use, the
// formula, both dates with the index values the sheet would use, the
// designation, the amount, the equipment items and the net amount, and K
// with its band and the compensation or refund, or the reason the print
// command would give instead. K is computed by the sheet's own steps on a
// copy of the state: nothing is printed and the state is not changed.
// Under a month the table does not hold no index values are shown (the
// search leaves another month's behind). Amounts are the sheet's digits,
// grouped for reading (1,324,999.50; 1,134,983.012).
#pragma once

#include <QString>
#include <vector>

#include "escalation/CalcState.h"
#include "escalation/ResultText.h"
#include "indexdata/TableFile.h"

struct SummaryLine {
    QString title;
    QString text;  // may hold line breaks (one equipment item a line)
};

std::vector<SummaryLine> stateSummary(const CalcState& st, TableFile& table);
