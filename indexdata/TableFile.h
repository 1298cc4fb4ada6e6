// The open index table: opens "KTABLE.DAT" read-only (creating it empty
// only when it is missing), reads record n, and closes it. A read that runs
// past the end of the file yields code-0 bytes for what is missing. File
// numbers are handed out like the classic free-file numbers, lowest first.
#pragma once

#include <QFile>
#include <QString>
#include <memory>
#include <optional>
#include <unordered_map>

#include "base/SystemFiles.h"
#include "indexdata/IndexRecord.h"

// The table's one name: "KTABLE.DAT", in the folder the program works in.
inline const QString kTableName = QStringLiteral("KTABLE.DAT");

class TableFile {
  public:
    ~TableFile();
    // Opens the file under the next free file number, creating it empty
    // when it is missing and `create` is set. On failure returns false and
    // sets `error` to the system's reason.
    bool open(const QString& name, QString* error, bool create = true);
    bool isOpen() const { return file_ != nullptr; }
    // The file's absolute path as it was opened; empty when none is open.
    const QString& path() const { return path_; }
    // The size of the file open, as it was when opened: what its records
    // are counted from (the path may name another file by now).
    qint64 size() const { return seen_.size; }
    Integer fileNo() const { return fileNo_; }
    // Record n counts from 1.
    RecordBytes readRecord(Long n);
    // Records first to first + count - 1 into `out`, in one read; what lies
    // past the end of the file is code 0, as for readRecord.
    void readRecords(Long first, Long count, QByteArray* out);
    void close();
    // For a run of many searches (a contract): reads the first `records`
    // records once and keeps where each month's first record is, so that a
    // month search finds exactly what reading from record 1 finds without
    // reading the table again. Dropped when the file is closed or reopened.
    void buildMonthIndex(Long records);
    // The record a search of the first `records` records stops at: the
    // first of the month, 0 when none is; nullopt without an index for them.
    std::optional<Long> indexedRecord(Long records, Long month, Long year) const;
    // Record n (from 1) decoded and converted, read and converted once while
    // a month index is kept (a contract's months recur row after row).
    struct Decoded {
        IndexRecord raw;
        IndexValues values;
    };
    // Kept while the month index stands (until the table is read again);
    // without an index, until the next call.
    const Decoded& decodedRecord(Long n);

    // Whether the file at path() is no longer the one that was opened, or
    // has changed since (another file put in its place, its size or time).
    // What was opened is known from the open file itself, so a replacement
    // that lands while the table is being opened is noticed here too.
    bool changedOnDisk() const;
    // Opens the file at path() afresh; the one open stays open when that
    // fails (false, with the reason in `error`).
    bool reopen(QString* error);

    // The SHA-256 of the bytes of the file open, in lower-case hex: which
    // table a sheet's indices were read from. Read once for each opening.
    QString sha256();

    static qint64 length(const QString& name);
    // The lowest file number not in use by any open table.
    static Integer nextFreeFileNumber();

  private:
    std::unique_ptr<QFile> file_;
    QString path_;
    FileIdentity seen_;  // of the file open, as it was when opened
    struct MonthIndex {
        Long records = 0;
        std::unordered_map<quint64, Long> first;  // year and month -> record
        std::unordered_map<Long, Decoded> decoded;  // record -> as read
    };
    std::optional<MonthIndex> index_;
    Decoded lastDecoded_;  // decodedRecord's answer where there is no index
    QString sha256_;  // empty until asked for
    Integer fileNo_ = 0;
};
