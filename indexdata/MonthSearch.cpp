#include "indexdata/MonthSearch.h"

bool monthSearch(CalcState& st, TableFile& table, IndexValues& target, Long month, Long year) {
    const Long bound = st.lngRecCount;
    bool matched = false;
    st.lngRecNo = 1;
    // Every record is read, but only its year and month are converted; the
    // record read last is decoded and converted whole, as if each had been.
    RecordBytes last{};
    bool read = false;
    while (st.lngRecNo <= bound) {
        last = table.readRecord(st.lngRecNo);
        read = true;
        const RecordKey key = recordKey(last);
        if (key.month == month && key.year == year) {
            matched = true;
            break;
        }
        ++st.lngRecNo;
    }
    if (read) {
        st.recIndex = decodeRecord(last);
        target = convertRecord(st.recIndex);
    }
    // A search that matched nothing must say so even when the last record
    // read carries a real year.
    return matched && target.year != 0;
}
