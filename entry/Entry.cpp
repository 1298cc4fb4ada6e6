#include "entry/Entry.h"

#include "entry/MonthNames.h"
#include "entry/Replies.h"
#include "indexdata/MonthSearch.h"

namespace {

// Day, month (with its name) and year of one date; false when cancelled.
bool askDate(Platform& ui, const QString& dayPrompt, const QString& monthLead,
             const QString& yearPrompt, Long& day, Long& month, QString& monthName, Long& year) {
    if (!askLong(ui, dayPrompt, day)) return false;
    if (!askLong(ui, monthPrompt(monthLead), month)) return false;
    if (month >= 1 && month <= 12) monthName = thaiMonthName(month);
    return askLong(ui, yearPrompt, year);
}

}  // namespace

QString equipNamePrompt(int n) { return QStringLiteral("ครุภัณฑ์ลำดับที่ %1 คือ").arg(n); }

QString equipPricePrompt(int n) { return QStringLiteral("ราคาครุภัณฑ์ลำดับที่ %1").arg(n); }

void enterBidOpening(CalcState& st, TableFile& table, Platform& ui) {
    if (!askDate(ui, QStringLiteral("เปิดซองวันที่เท่าใด"), QStringLiteral("เดือนเปิดซอง"),
                 QStringLiteral("ปี พ.ศ.ที่เปิดซอง"), st.lngODay, st.lngOMonth, st.strOMonth,
                 st.lngOYear))
        return;
    monthSearch(st, table, ui, st.OData, st.lngOMonth, st.lngOYear);
}

void enterInstallment(CalcState& st, TableFile& table, Platform& ui) {
    if (!askDate(ui, QStringLiteral("วันที่ที่ส่งงาน"), QStringLiteral("เดือนที่ส่งงาน"),
                 QStringLiteral("ปี พ.ศ.ที่ส่งงาน"), st.lngTDay, st.lngTMonth, st.strTMonth,
                 st.lngTYear))
        return;
    monthSearch(st, table, ui, st.TData, st.lngTMonth, st.lngTYear);

    st.strInstallment = askText50(ui, QStringLiteral("งวดที่ส่งนี้เป็นงวดใด"));
    if (!askDouble(ui, QStringLiteral("ค่างวดของงวดนี้กี่บาท"), st.dblAmount)) return;

    int handedOver = kEquipItems;  // prices taken off the amount
    for (int n = 1; n <= kEquipItems; ++n) {
        st.strEquipName[n - 1] = askText50(ui, equipNamePrompt(n));
        if (!askDouble(ui, equipPricePrompt(n), st.dblEquipPrice[n - 1])) return;
        if (n < kEquipItems && st.dblEquipPrice[n - 1] == 0) {
            for (int i = n; i < kEquipItems; ++i)
                st.strEquipName[i] = fixedText(QString(), kTextLength);
            for (int i = n - 1; i < kEquipItems; ++i) st.dblEquipPrice[i] = 0;
            handedOver = n - 1;
            break;
        }
    }
    Double net = st.dblAmount;
    for (int i = 0; i < handedOver; ++i) net = net - st.dblEquipPrice[i];
    st.dblNetAmount = net;
}
