#include "entry/Entry.h"

#include "base/MonthNames.h"
#include "entry/Replies.h"
#include "indexdata/MonthSearch.h"

const QString kNotFoundMessage = QStringLiteral("ไม่พบข้อมูลดัชนีราคา");

namespace {

// The month search of a date entry; the user hears and reads when the
// table has no values for that month.
void searchMonth(CalcState& st, TableFile& table, Platform& ui, IndexValues& target, Long month,
                 Long year) {
    if (monthSearch(st, table, target, month, year)) return;
    ui.beep();
    ui.msgBox(kNotFoundMessage);
}

// Day, month (with its name) and year of one date; false when cancelled.
bool askDate(Platform& ui, const QString& dayPrompt, const QString& monthLead,
             const QString& yearPrompt, Long& day, Long& month, QString& monthName, Long& year) {
    if (!askLong(ui, dayPrompt, day)) return false;
    if (!askLong(ui, monthPrompt(monthLead), month)) return false;
    if (month >= 1 && month <= 12) monthName = thaiMonthName(month);
    return askLong(ui, yearPrompt, year);
}

// A command writes into a draft of the state, which replaces the state only
// when the command runs to its end: a Cancel anywhere leaves the dates, the
// index values, the amounts and the search bookkeeping exactly as they were,
// so a sheet never mixes an old entry with half of a new one.
template <class Steps>
void allOrNothing(CalcState& st, Steps steps) {
    CalcState draft = st;
    if (steps(draft)) st = std::move(draft);
}

bool bidOpeningSteps(CalcState& st, TableFile& table, Platform& ui) {
    if (!askDate(ui, QStringLiteral("เปิดซองวันที่เท่าใด"), QStringLiteral("เดือนเปิดซอง"),
                 QStringLiteral("ปี พ.ศ.ที่เปิดซอง"), st.lngODay, st.lngOMonth, st.strOMonth,
                 st.lngOYear))
        return false;
    searchMonth(st, table, ui, st.OData, st.lngOMonth, st.lngOYear);
    return true;
}

bool installmentSteps(CalcState& st, TableFile& table, Platform& ui) {
    if (!askDate(ui, QStringLiteral("วันที่ที่ส่งงาน"), QStringLiteral("เดือนที่ส่งงาน"),
                 QStringLiteral("ปี พ.ศ.ที่ส่งงาน"), st.lngTDay, st.lngTMonth, st.strTMonth,
                 st.lngTYear))
        return false;
    searchMonth(st, table, ui, st.TData, st.lngTMonth, st.lngTYear);

    if (!askText50(ui, QStringLiteral("งวดที่ส่งนี้เป็นงวดใด"), st.strInstallment)) return false;
    if (!askDouble(ui, QStringLiteral("ค่างวดของงวดนี้กี่บาท"), st.dblAmount)) return false;

    for (int n = 1; n <= kEquipItems; ++n) {
        if (!askText50(ui, equipNamePrompt(n), st.strEquipName[n - 1])) return false;
        if (!askDouble(ui, equipPricePrompt(n), st.dblEquipPrice[n - 1])) return false;
        if (endOfEquipChain(st, n)) break;
    }
    st.dblNetAmount = netAmount(st);
    return true;
}

}  // namespace

QString equipNamePrompt(int n) { return QStringLiteral("ครุภัณฑ์ลำดับที่ %1 คือ").arg(n); }

QString equipPricePrompt(int n) { return QStringLiteral("ราคาครุภัณฑ์ลำดับที่ %1").arg(n); }

bool endOfEquipChain(CalcState& st, int n) {
    if (n >= kEquipItems) return true;
    if (st.dblEquipPrice[n - 1] != 0) return false;
    for (int i = n; i < kEquipItems; ++i) st.strEquipName[i] = fixedText(QString(), kTextLength);
    for (int i = n - 1; i < kEquipItems; ++i) st.dblEquipPrice[i] = 0;
    return true;
}

Double netAmount(const CalcState& st) {
    // Item by item, in item order: the sum of the prices taken off at once
    // can differ in the last bit. Prices past the end of the chain are 0.
    Double net = st.dblAmount;
    for (int i = 0; i < kEquipItems && st.dblEquipPrice[i] != 0; ++i)
        net = net - st.dblEquipPrice[i];
    return net;
}

void enterBidOpening(CalcState& st, TableFile& table, Platform& ui) {
    allOrNothing(st, [&](CalcState& draft) { return bidOpeningSteps(draft, table, ui); });
}

void enterInstallment(CalcState& st, TableFile& table, Platform& ui) {
    allOrNothing(st, [&](CalcState& draft) { return installmentSteps(draft, table, ui); });
}
