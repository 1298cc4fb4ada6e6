#include "indexdata/MonthSearch.h"

#include <algorithm>
#include <cstring>

namespace {

void take(MonthFound& f, const RecordBytes& bytes) {
    f.read = true;
    f.record = decodeRecord(bytes);
    f.values = convertRecord(f.record);
}

}  // namespace

MonthFound monthSearch(TableFile& table, Long bound, Long month, Long year) {
    MonthFound f;
    if (const std::optional<Long> at = table.indexedRecord(bound, month, year)) {
        // Where reading from record 1 would stop: the month's first record,
        // or past the last one having read it.
        f.recNo = *at ? *at : bound + 1;
        if (bound >= 1) {
            const TableFile::Decoded& d = table.decodedRecord(*at ? *at : bound);
            f.read = true;
            f.record = d.raw;
            f.values = d.values;
        }
        f.found = *at != 0 && f.values.year != 0;
        return f;
    }
    bool matched = false;
    // Every record is read, in large blocks, but only its year and month
    // are converted; the record read last is decoded and converted whole,
    // as if each had been.
    constexpr Long kBlock = 4096;
    static thread_local QByteArray block;  // kept: a search a keystroke apart needs no new one
    const unsigned char* last = nullptr;
    while (!matched && f.recNo <= bound) {
        const Long count = std::min(kBlock, bound - f.recNo + 1);
        table.readRecords(f.recNo, count, &block);
        const auto* bytes = reinterpret_cast<const unsigned char*>(block.constData());
        const Long at = firstRecordOf(bytes, count, month, year);
        matched = at < count;
        f.recNo += at;  // on the month's record, or past the block
        last = bytes + qsizetype(matched ? at : count - 1) * kRecordLength;
    }
    if (last) {
        RecordBytes record;
        std::memcpy(record.data(), last, kRecordLength);
        take(f, record);
    }
    // A search that matched nothing must say so even when the last record
    // read carries a real year.
    f.found = matched && f.values.year != 0;
    return f;
}
