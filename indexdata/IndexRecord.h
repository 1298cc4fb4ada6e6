// The record format of the index table "KTABLE.DAT": fixed records of 90
// bytes, 15 fields of 6 single-byte (TIS-620) characters: year, month and
// the 13 index columns. This header decodes bytes into the raw record and
// converts the raw record into numbers; it does no file access.
#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>

#include "base/Kinds.h"
#include "base/ThaiCodePage.h"

constexpr Long kRecordLength = 90;
constexpr int kFieldLength = 6;
constexpr int kFieldCount = 15;

// The 13 index columns of a record, in record order.
enum class IndexColumn : int { M, S, C, Col4, I, F, A, E, GIP, AC, PVC, Col12, Col13 };
constexpr int kIndexColumns = 13;

using RecordBytes = std::array<unsigned char, kRecordLength>;

struct IndexRecord {
    std::array<QString, kFieldCount> fields;
    IndexRecord() {
        // One blank field shared by every record made, not fifteen filled
        // for each (a contract's rows make thousands).
        static const QString blank = codeZeroText(kFieldLength);
        fields.fill(blank);
    }
};

struct IndexValues {
    Long year = 0;
    Long month = 0;
    std::array<Single, kIndexColumns> col{};
    Single operator[](IndexColumn c) const { return col[static_cast<int>(c)]; }
    Single& operator[](IndexColumn c) { return col[static_cast<int>(c)]; }
};

IndexRecord decodeRecord(const RecordBytes& bytes);

// The table's own number rule, the same in every locale: blanks, tabs and
// line feeds are skipped anywhere; sign; digits with one full stop; E or D
// exponent. Reading stops at the first misfit; no digit gives 0.
double leadingNumber(QStringView text);

// A plain number as a table field should hold one: optional sign, digits
// with at most one full stop, nothing else (no blanks inside, no exponent).
bool isPlainNumber(QStringView text);

// Year and month round halves to even; indices round to the nearest Single.
IndexValues convertRecord(const IndexRecord& rec);

// The year and month that convertRecord gives for these bytes, read straight
// from them: what a search compares, without decoding the whole record.
struct RecordKey {
    Long year = 0;
    Long month = 0;
};
RecordKey recordKey(const RecordBytes& bytes);
// The same for the kRecordLength bytes at `bytes`.
RecordKey recordKey(const unsigned char* bytes);
// The first of the `count` records at `bytes` that is of that month by
// recordKey's answer (a year read only where the month is the one), as its
// place from 0; `count` when none is.
Long firstRecordOf(const unsigned char* bytes, Long count, Long month, Long year);

// Records in a file of `bytes` bytes: the quotient rounded halves-to-even,
// and never less than 1.
Long recordCount(qint64 bytes, Long recLen = kRecordLength);
