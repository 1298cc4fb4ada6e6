#include "contract/Installment.h"

#include "base/MonthNames.h"
#include "entry/Entry.h"

InstallmentOutcome computeInstallment(const Installment& in, TableFile& table, Long records,
                                      Printer& printer) {
    // A copy of a blank state shares its code-0 texts instead of filling
    // new ones for every installment.
    static const CalcState blank;
    CalcState st = blank;
    st.lngRecLen = kRecordLength;
    st.lngRecNo = 1;
    st.lngRecCount = records;
    st.intFormulaNo = in.formula;
    st.dblAmount = in.amount;
    const bool bidFound = setBidOpening(st, table, in.bidDay, in.bidMonth, in.bidYear);
    setDelivery(st, table, in.day, in.month, in.year);
    st.strInstallment = fixedText(in.designation, kTextLength);
    for (size_t i = 0; i < in.items.size() && i < size_t(kEquipItems); ++i)
        if (setEquipItem(st, int(i) + 1, in.items[i].name, in.items[i].price)) break;
    st.dblNetAmount = netAmount(st);

    InstallmentOutcome out;
    out.netAmount = st.dblNetAmount;
    const SheetOutcome sheet = runSheet(st, printer, &table);
    out.why = sheet.why;
    out.result = sheet.result;
    if (sheet.printed()) {
        out.status = InstallmentOutcome::Status::Computed;
        out.o = st.OData;
        out.t = st.TData;
    } else if (sheet.status == SheetOutcome::Status::MonthMissing) {
        out.monthMissing = true;
        // Only a month that a table can come to hold is waited for.
        const Long month = bidFound ? in.month : in.bidMonth;
        const Long year = bidFound ? in.year : in.bidYear;
        if (month >= 1 && month <= 12 && year > 0) {
            out.status = InstallmentOutcome::Status::Waiting;
            out.waitMonth = month;
            out.waitYear = year;
        }
    }
    return out;
}

QString waitingFor(Long month, Long year) {
    return QStringLiteral("รอดัชนีเดือน ") + monthSlashYear(month, year);
}
