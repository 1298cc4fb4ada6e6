// The calculation sheet: one statement sequence for every formula. It
// computes each value just before the line that shows it and writes the
// results into the state as it goes (ratios, terms, K, excess,
// compensation). A CalcError stops it at the failing step: the lines
// before stay with the printer, the results before stay in the state.
#pragma once

#include "escalation/CalcState.h"
#include "escalation/Arithmetic.h"
#include "escalation/Formulas.h"
#include "escalation/Printer.h"

// A sheet may only be printed from index values of the months it names:
// the Thai reason why not (a month never entered, or not in the table), or
// an empty text when both months' values are those of their own record.
QString missingIndexMonth(const CalcState& st);

// What a finished sheet concluded, for summaries of many sheets.
struct SheetResult {
    Single k = 0;
    Band band = Band::Inside;
    Single excess = 0;        // displayed; outside the band only
    Double compensation = 0;  // baht; above the band only
    Double refund = 0;        // baht; below the band only
};

SheetResult printSheet(const FormulaDef& def, CalcState& st, Printer& printer);
