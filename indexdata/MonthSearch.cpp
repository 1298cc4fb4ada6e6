#include "indexdata/MonthSearch.h"

#include <algorithm>
#include <cstring>

bool monthSearch(CalcState& st, TableFile& table, IndexValues& target, Long month, Long year) {
    const Long bound = st.lngRecCount;
    bool matched = false;
    st.lngRecNo = 1;
    // Every record is read, in large blocks, but only its year and month
    // are converted; the record read last is decoded and converted whole,
    // as if each had been.
    constexpr Long kBlock = 4096;
    QByteArray block;
    const unsigned char* last = nullptr;
    while (!matched && st.lngRecNo <= bound) {
        const Long count = std::min(kBlock, bound - st.lngRecNo + 1);
        table.readRecords(st.lngRecNo, count, &block);
        const auto* bytes = reinterpret_cast<const unsigned char*>(block.constData());
        for (Long i = 0; i < count; ++i, ++st.lngRecNo) {
            last = bytes + qsizetype(i) * kRecordLength;
            const RecordKey key = recordKey(last);
            if (key.month == month && key.year == year) {
                matched = true;
                break;
            }
        }
    }
    if (last) {
        RecordBytes record;
        std::memcpy(record.data(), last, kRecordLength);
        st.recIndex = decodeRecord(record);
        target = convertRecord(st.recIndex);
    }
    // A search that matched nothing must say so even when the last record
    // read carries a real year.
    return matched && target.year != 0;
}
