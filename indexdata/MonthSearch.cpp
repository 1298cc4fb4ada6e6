#include "indexdata/MonthSearch.h"

const QString kNotFoundMessage = QStringLiteral("ไม่พบข้อมูลดัชนีราคา");

void readRecordInto(CalcState& st, TableFile& table, IndexValues& target) {
    st.recIndex = decodeRecord(table.readRecord(st.lngRecNo));
    target = convertRecord(st.recIndex);
}

bool monthSearch(CalcState& st, TableFile& table, Platform& ui, IndexValues& target, Long month,
                 Long year) {
    const Long bound = st.lngRecCount;
    bool matched = false;
    st.lngRecNo = 1;
    while (st.lngRecNo <= bound) {
        readRecordInto(st, table, target);
        if (target.month == month && target.year == year) {
            matched = true;
            break;
        }
        ++st.lngRecNo;
    }
    // A search that matched nothing must say so even when the last record
    // read carries a real year.
    if (!matched || target.year == 0) {
        ui.beep();
        ui.msgBox(kNotFoundMessage);
    }
    return matched;
}
