// One installment as the window's commands take it, and its sheet computed
// through the window's own steps: the formula, the bid-opening date and the
// delivery date with their month searches (setBidOpening, setDelivery), the
// designation as a fixed text, the equipment chain (setEquipItem), the net
// amount and the sheet itself (runSheet). Whatever enters an installment
// (a contract CSV row, the register's form, the register on disk) ends here,
// so a contract's sheet is the very sheet the window prints for the same
// answers. It reads the table and writes nothing.
#pragma once

#include <QString>
#include <vector>

#include "escalation/CalcState.h"
#include "escalation/Printer.h"
#include "escalation/Sheet.h"
#include "indexdata/TableFile.h"

// The answers to the window's prompts, converted.
struct Installment {
    Integer formula = 0;
    Long bidDay = 0, bidMonth = 0, bidYear = 0;
    Long day = 0, month = 0, year = 0;
    QString designation;  // as typed, blanks kept
    Double amount = 0;
    struct Item {
        QString name;  // as typed
        Double price = 0;
        bool operator==(const Item&) const = default;
    };
    // The equipment chain as entered: at most ten items, the first priced 0
    // (if any) being the last, as the prompts stop there.
    std::vector<Item> items;
    bool operator==(const Installment&) const = default;
};

struct InstallmentOutcome {
    enum class Status { Computed, Waiting, Refused };
    Status status = Status::Refused;
    // Thai, when not computed: the print command's own reason (a month not
    // in the table, a formula number without a formula, a failed step).
    QString why;
    // Waiting: the month the table does not hold yet (the bid-opening one
    // when both are missing).
    Long waitMonth = 0, waitYear = 0;
    // Not computed because a month has no index values in the table (one
    // that will come, or one that never can, as month 13).
    bool monthMissing = false;
    Double netAmount = 0;
    SheetResult result;
    // The index values of both months as the sheet read them.
    IndexValues o, t;
    bool computed() const { return status == Status::Computed; }
};

// Computes the installment on the first `records` records of `table`; the
// sheet's statements go to `printer` (nothing of a sheet that failed).
InstallmentOutcome computeInstallment(const Installment& in, TableFile& table, Long records,
                                      Printer& printer);

// "รอดัชนีเดือน 9/2569": what a waiting installment waits for.
QString waitingFor(Long month, Long year);
