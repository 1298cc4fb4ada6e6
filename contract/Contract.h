// A whole contract in one run: each row of a contract CSV is one
// installment, entered and printed as the window's formula, bid-opening,
// installment and print commands do it. Each cell is converted as the
// reply to its prompt would be, and then the commands' own plain steps run
// (setBidOpening, setDelivery, setEquipItem, netAmount, runSheet), so
// the month search, the month names, the designation as a fixed text, the
// equipment chain, the net amount and the sheet are the window's own. A
// row that cannot be computed is refused with the reason; the others go
// on. Nothing is written to the table.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "base/CsvText.h"
#include "contract/Installment.h"
#include "escalation/PrintModel.h"
#include "escalation/Sheet.h"
#include "indexdata/TableFile.h"

struct ContractRow {
    int row = 0;          // the row as a spreadsheet numbers it (the header is row 1)
    QString installment;  // the designation as printed (blanks trimmed)
    QString formula;      // as written in the file
    Long bidYear = 0, bidMonth = 0, year = 0, month = 0;
    Double netAmount = 0;
    QString error;  // Thai; empty when the row was computed
    bool monthMissing = false;  // refused for a month the table does not hold
    std::vector<print::Statement> sheet;
    QString facts;  // what the sheet was computed from (SheetFacts' line)
    SheetResult result;
    bool computed() const { return error.isEmpty(); }
};

struct Contract {
    // Thai: the file cannot be used at all (no header, a missing column or
    // one named twice, a file saved as UTF-16).
    QString error;
    std::vector<ContractRow> rows;
};

// The columns, by header name; item1..item10 and price1..price10 may be left out.
extern const QStringList kContractColumns;
// The column a heading names: the English name in any case, or its Thai
// name (สูตร, วันเปิดซอง, เดือนเปิดซอง, ปีเปิดซอง, วันส่งงาน, เดือนส่งงาน,
// ปีส่งงาน, งวด, ค่างวด, ครุภัณฑ์1..10, ราคาครุภัณฑ์1..10).
QString contractColumn(const QString& heading);

// Runs every row of `csv` (decoded by decodeCsvBytes) against the open table of
// `records` records. Numbers are read in one fixed format: full stop for
// the decimal point, commas allowed between thousands. Each row, once
// computed, goes to `each` when one is given; the row kept in the result
// then holds no sheet (nor its facts), so that a contract of any length needs the memory
// of one sheet at a time.
Contract runContract(const CsvText& csv, TableFile& table, Long records,
                     const std::function<void(const ContractRow&)>& each = {});

// The row of a summary for an installment computed (`sheet` its statements,
// `facts` what it was computed from; print both with printSheetAside).
ContractRow contractRow(int row, const Installment& in, const InstallmentOutcome& outcome,
                        std::vector<print::Statement> sheet, QString facts = QString());

// ---- a contract's installments as the CSV that runContract reads ---------

// The heading of such a CSV, in Thai (the English names read the same).
QString contractCsvHeading();
// One installment as a row: amounts in the shortest digits that read back
// as the same Double, the designation and names as typed (quoted where
// a CSV needs it).
QString contractCsvRow(const Installment& in);
// The installments of `csv`, each row read as runContract reads it, with
// the row's number as a spreadsheet shows it; the rows that cannot be read
// (and why) in `refused`, and the file's own refusal (no heading, a column
// missing or named twice) in `error`. Being kept rather than run, a row is
// also refused when it could never be computed: a formula outside 1 to 13,
// a month outside 1 to 12 or a year below 2400 (a month no table holds).
std::vector<std::pair<int, Installment>> readContractCsv(const CsvText& csv,
                                                         std::vector<ContractRow>* refused,
                                                         QString* error);
