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
#include "indexdata/TableFile.h"

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

// The one rule of whether a sheet can be printed from the state, and the
// sheet when it can, for every caller (the print command, the panel, a
// contract's rows): the formula number must have a formula, both months
// their own index values (missingIndexMonth), and the arithmetic must not
// fail. A sheet that fails part-way is discarded from the printer, so
// nothing of it reaches paper. A printed sheet's facts (SheetFacts) go to a
// printer that keeps them, naming `table` as where its indices were read.
struct SheetOutcome {
    enum class Status { Printed, NoFormula, MonthMissing, CalcFailed };
    Status status = Status::Printed;
    QString why;  // Thai, when not printed
    SheetResult result;
    bool printed() const { return status == Status::Printed; }
};
SheetOutcome runSheet(CalcState& st, Printer& printer, TableFile* table = nullptr);

// Why formula number `n` has no sheet, in Thai; empty for 1 to 13.
QString formulaProblem(int n);
