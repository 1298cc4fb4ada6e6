// One page of a printed PDF checked against what it says it was computed
// from: its facts (SheetFacts) are read back, the sheet is computed anew
// from them through the window's own steps (the equipment chain's net
// amount, runSheet), and the page holds only when
// - the page's text, as a text extractor reads it back, is the text of the
//   sheet computed anew (blanks aside: the extractor lays those out
//   itself; no two figures of a sheet stand apart by blanks alone),
// - the figures the facts recorded (K, excess, compensation or refund) are
//   those computed anew, and
// - the table holds both months, with the formula's indices as the sheet
//   used them (found by the window's own month search). Where the table
//   now holds other values (a month the ministry corrected), the sheet is
//   computed with them too, for the compensation the correction makes.
// This proves the arithmetic and the indices, not who made the file. It
// reads no PDF (PdfText does) and prints nothing (Verify words it).
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "escalation/SheetFacts.h"
#include "indexdata/TableFile.h"

// The state the facts describe, as the entry commands would have left it,
// net amount included.
CalcState stateFromFacts(const SheetFacts& f);

// Compensation in baht as a positive amount, a refund as a negative one, 0
// inside the band.
Double paidAmount(const SheetResult& r);

struct IndexChange {
    Long month = 0, year = 0;
    QString symbol;
    Single was = 0, now = 0;
};

// One sheet on the page (a page holds one, unless printed without a page
// break).
struct SheetCheck {
    SheetFacts facts;
    bool computed = false;  // whether the facts gave a sheet at all
    SheetResult result;     // computed anew from the facts
    // Months (bid opening, delivery) the table does not hold, as "m/yyyy".
    QStringList notInTable;
    std::vector<IndexChange> changed;
    // With the table's indices now, when they changed: whether the sheet
    // computes, why not, and its result.
    bool nowComputed = false;
    QString nowWhy;
    SheetResult now;
};

struct PageCheck {
    int page = 0;
    std::vector<SheetCheck> sheets;
    // Thai, each what does not hold of the page: facts that cannot be read
    // or computed, a line printed otherwise than computed, a recorded
    // figure otherwise than computed.
    QStringList differs;
    bool sameTable = false;  // the table's bytes are those the sheets name
    bool holds() const;
    bool indicesChanged() const;
};

// Checks page `page` whose document information holds `facts` (one line a
// sheet) and whose text reads `text`, against the open `table` of
// `records` records (a month index built for them keeps it quick).
PageCheck checkPage(int page, const QString& facts, const QString& text, TableFile& table,
                    Long records);
