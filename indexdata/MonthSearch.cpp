#include "indexdata/MonthSearch.h"

#include <algorithm>
#include <cstring>

bool monthSearch(CalcState& st, TableFile& table, IndexValues& target, Long month, Long year) {
    const Long bound = st.lngRecCount;
    if (const std::optional<Long> at = table.indexedRecord(bound, month, year)) {
        // Where reading from record 1 would stop: the month's first record,
        // or past the last one having read it.
        st.lngRecNo = *at ? *at : bound + 1;
        if (bound >= 1) {
            st.recIndex = decodeRecord(table.readRecord(*at ? *at : bound));
            target = convertRecord(st.recIndex);
        }
        return *at != 0 && target.year != 0;
    }
    bool matched = false;
    st.lngRecNo = 1;
    // Every record is read, in large blocks, but only its year and month
    // are converted; the record read last is decoded and converted whole,
    // as if each had been.
    constexpr Long kBlock = 4096;
    static thread_local QByteArray block;  // kept: a search a keystroke apart needs no new one
    const unsigned char* last = nullptr;
    while (!matched && st.lngRecNo <= bound) {
        const Long count = std::min(kBlock, bound - st.lngRecNo + 1);
        table.readRecords(st.lngRecNo, count, &block);
        const auto* bytes = reinterpret_cast<const unsigned char*>(block.constData());
        const Long at = firstRecordOf(bytes, count, month, year);
        matched = at < count;
        st.lngRecNo += at;  // on the month's record, or past the block
        last = bytes + qsizetype(matched ? at : count - 1) * kRecordLength;
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
