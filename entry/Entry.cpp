#include "entry/Entry.h"

#include "base/MonthNames.h"
#include "entry/Replies.h"
#include "indexdata/MonthSearch.h"

const QString kNotFoundMessage = QStringLiteral("ไม่พบข้อมูลดัชนีราคา");

QString notFoundMessage(const QString& table, Long month, Long year) {
    QString text = kNotFoundMessage + QStringLiteral("\nเดือนที่ค้นหา: %1/%2").arg(month).arg(year) +
                   QStringLiteral("\nในแฟ้ม: %1").arg(table);
    if (!table.isEmpty() && TableFile::length(table) == 0)
        text += QStringLiteral("\nแฟ้มนี้ว่าง ยังไม่มีข้อมูลดัชนีราคาของเดือนใดเลย");
    if (year < 2400) text += QLatin1Char('\n') + buddhistEraHint(year);
    return text;
}

namespace {

// The user hears and reads that the table has no values for the month.
void sayNotFound(Platform& ui, const TableFile& table, Long month, Long year) {
    ui.beep();
    ui.msgBox(notFoundMessage(table.path(), month, year));
}

// Day, month and year of one date; false when cancelled. A day its month
// does not have is said, and the day alone asked again: a payment document
// never shows a date that does not exist.
bool askDate(Platform& ui, const QString& dayPrompt, const QString& monthLead,
             const QString& yearPrompt, Long& day, Long& month, Long& year) {
    if (!askLong(ui, dayPrompt, day) || !askLong(ui, monthPrompt(monthLead), month) ||
        !askLong(ui, yearPrompt, year))
        return false;
    for (QString problem; !(problem = dayProblem(day, month, year)).isEmpty();) {
        ui.msgBox(problem);
        if (!askLong(ui, dayPrompt, day)) return false;
    }
    return true;
}

// A command writes into a draft of the state, which replaces the state only
// when the command runs to its end: a Cancel anywhere leaves the dates, the
// index values, the amounts and the search bookkeeping exactly as they were,
// so a sheet never mixes an old entry with half of a new one.
template <class Steps>
bool allOrNothing(CalcState& st, Steps steps) {
    CalcState draft = st;
    if (!steps(draft)) return false;
    st = std::move(draft);
    return true;
}

bool bidOpeningSteps(CalcState& st, TableFile& table, Platform& ui) {
    Long day = st.lngODay, month = st.lngOMonth, year = st.lngOYear;
    if (!askDate(ui, QStringLiteral("เปิดซองวันที่เท่าใด"), QStringLiteral("เดือนเปิดซอง"),
                 QStringLiteral("ปี พ.ศ.ที่เปิดซอง"), day, month, year))
        return false;
    if (!setBidOpening(st, table, day, month, year)) sayNotFound(ui, table, month, year);
    return true;
}

bool installmentSteps(CalcState& st, TableFile& table, Platform& ui) {
    Long day = st.lngTDay, month = st.lngTMonth, year = st.lngTYear;
    if (!askDate(ui, QStringLiteral("วันที่ที่ส่งงาน"), QStringLiteral("เดือนที่ส่งงาน"),
                 QStringLiteral("ปี พ.ศ.ที่ส่งงาน"), day, month, year))
        return false;
    if (!setDelivery(st, table, day, month, year)) sayNotFound(ui, table, month, year);

    if (!askText50(ui, QStringLiteral("งวดที่ส่งนี้เป็นงวดใด"), st.strInstallment)) return false;
    if (!askDouble(ui, QStringLiteral("ค่างวดของงวดนี้กี่บาท"), st.dblAmount)) return false;

    for (int n = 1; n <= kEquipItems; ++n) {
        QString name;
        Double price = 0;
        if (!askText50(ui, equipNamePrompt(n), name)) return false;
        if (!askDouble(ui, equipPricePrompt(n), price)) return false;
        if (setEquipItem(st, n, name, price)) break;
    }
    st.dblNetAmount = netAmount(st);
    return true;
}

}  // namespace

QString equipNamePrompt(int n) { return QStringLiteral("ครุภัณฑ์ลำดับที่ %1 คือ").arg(n); }

QString equipPricePrompt(int n) { return QStringLiteral("ราคาครุภัณฑ์ลำดับที่ %1").arg(n); }

namespace {

// The fields of one date of the state, and the values its search fills.
struct DateFields {
    Long &day, &month;
    QString& monthName;
    Long& year;
    IndexValues& values;
};

bool setDate(CalcState& st, TableFile& table, const DateFields& to, Long day, Long month,
             Long year) {
    to.day = day;
    to.month = month;
    if (month >= 1 && month <= 12) to.monthName = thaiMonthName(month);
    to.year = year;
    MonthFound found = monthSearch(table, st.lngRecCount, month, year);
    st.lngRecNo = found.recNo;
    if (found.read) {
        st.recIndex = std::move(found.record);
        to.values = found.values;
    }
    return found.found;
}

}  // namespace

bool setBidOpening(CalcState& st, TableFile& table, Long day, Long month, Long year) {
    return setDate(st, table, {st.lngODay, st.lngOMonth, st.strOMonth, st.lngOYear, st.OData}, day,
                   month, year);
}

bool setDelivery(CalcState& st, TableFile& table, Long day, Long month, Long year) {
    return setDate(st, table, {st.lngTDay, st.lngTMonth, st.strTMonth, st.lngTYear, st.TData}, day,
                   month, year);
}

bool setEquipItem(CalcState& st, int n, const QString& name, Double price) {
    st.strEquipName[n - 1] = fixedText(name, kTextLength);
    st.dblEquipPrice[n - 1] = price;
    return endOfEquipChain(st, n);
}

bool endOfEquipChain(CalcState& st, int n) {
    if (n >= kEquipItems) return true;
    if (st.dblEquipPrice[n - 1] != 0) return false;
    // One text of blanks shared by the names blanked (a contract blanks
    // them row after row).
    static const QString blanks = fixedText(QString(), kTextLength);
    for (int i = n; i < kEquipItems; ++i) st.strEquipName[i] = blanks;
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

bool enterBidOpening(CalcState& st, TableFile& table, Platform& ui) {
    return allOrNothing(st, [&](CalcState& draft) { return bidOpeningSteps(draft, table, ui); });
}

bool enterInstallment(CalcState& st, TableFile& table, Platform& ui) {
    return allOrNothing(st, [&](CalcState& draft) { return installmentSteps(draft, table, ui); });
}
