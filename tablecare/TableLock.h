// The one lock of an index table, taken by everything that writes it: the
// table window for as long as it is open, import and merge for the whole
// of their read, change and rename. Without it two writers each read the
// table, add their month and rename, and whoever renames last loses the
// other's month. The lock is a file beside the table's real path
// (KTABLE.DAT.lock; links followed, so a link from another folder locks
// the same table), held with flock while the holder lives and removed when
// it lets go; the holder writes into it who it is, so that the one kept
// out can say who. It does not read or write the table itself.
#pragma once

#include <QByteArray>
#include <QString>
#include <utility>

// The table's real path: links followed, the folder's too when the file is
// not there yet; what the lock and the backup are placed beside.
QString tableRealPath(const QString& table);

class TableLock {
  public:
    enum class Holder { Window, Merge, Import };
    enum class Result {
        Taken,
        Held,        // another window or command holds it
        Unlockable,  // the lock file cannot be made or opened
    };
    // How long a command waits for a holder to finish.
    static constexpr int kCommandWaitMs = 5000;

    TableLock() = default;
    ~TableLock() { release(); }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;
    TableLock(TableLock&& other) noexcept { *this = std::move(other); }
    TableLock& operator=(TableLock&& other) noexcept {
        if (this != &other) {
            release();
            std::swap(fd_, other.fd_);
            std::swap(writable_, other.writable_);
            std::swap(path_, other.path_);
        }
        return *this;
    }

    // Takes the lock of the table at `table` as `holder`, waiting at most
    // `waitMs` for another holder to let go. Unless Taken, `error` says in
    // Thai why: who holds it ("หน้าต่างตารางดัชนีราคาของโปรแกรม Tarvon
    // (กระบวนการหมายเลข 1234) กำลังแก้ตาราง ... อยู่"), or the system's reason.
    Result take(const QString& table, Holder holder, int waitMs, QString* error);
    bool held() const { return fd_ >= 0; }
    void release();

  private:
    int fd_ = -1;
    bool writable_ = false;
    QByteArray path_;  // of the lock file
};
