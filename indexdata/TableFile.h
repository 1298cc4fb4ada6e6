// The open index table: opens "KTABLE.DAT" read-only (creating it empty
// only when it is missing), reads record n, and closes it. A read that runs
// past the end of the file yields code-0 bytes for what is missing. File
// numbers are handed out like the classic free-file numbers, lowest first.
#pragma once

#include <QFile>
#include <QString>
#include <memory>

#include "indexdata/IndexRecord.h"

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
    Integer fileNo() const { return fileNo_; }
    // Record n counts from 1.
    RecordBytes readRecord(Long n);
    void close();

    static qint64 length(const QString& name);
    // The lowest file number not in use by any open table.
    static Integer nextFreeFileNumber();

  private:
    std::unique_ptr<QFile> file_;
    QString path_;
    Integer fileNo_ = 0;
};
