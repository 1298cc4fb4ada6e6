#include "tablecare/TableLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cerrno>

#include "base/SystemFiles.h"

namespace {

const char* holderWord(TableLock::Holder h) {
    switch (h) {
        case TableLock::Holder::Window: return "window";
        case TableLock::Holder::Merge: return "merge";
        case TableLock::Holder::Import: return "import";
    }
    return "";
}

// Who holds the lock, in Thai, from what the holder wrote: "1234 merge".
QString holderText(int fd) {
    char buffer[64] = {};
    const ssize_t n = ::pread(fd, buffer, sizeof buffer - 1, 0);
    const QStringList words = QString::fromLatin1(buffer, n > 0 ? n : 0).split(
        QLatin1Char(' '), Qt::SkipEmptyParts);
    bool number = false;
    const qint64 pid = words.value(0).toLongLong(&number);
    const QString what = words.value(1).trimmed();
    if (!number || pid <= 0) return QStringLiteral("หน้าต่างหรือโปรแกรมอื่น");
    const QString who = what == QLatin1String("window")
                            ? QStringLiteral("หน้าต่างตารางดัชนีราคาของโปรแกรม Tarvon")
                        : what == QLatin1String("merge") || what == QLatin1String("import")
                            ? QStringLiteral("คำสั่ง tarvon-table %1").arg(what)
                            : QStringLiteral("โปรแกรมอื่น");
    return QStringLiteral("%1 (กระบวนการหมายเลข %2)").arg(who).arg(pid);
}

// Puts `who` in place of what the lock file holds. A failure loses only the
// name of the holder: the lock holds all the same.
void writeHolder(int fd, const QByteArray& who) {
    if (::ftruncate(fd, 0) != 0) return;
    [[maybe_unused]] const ssize_t written = ::pwrite(fd, who.constData(), size_t(who.size()), 0);
}

}  // namespace

QString tableRealPath(const QString& table) {
    const QFileInfo info(table);
    if (const QString real = info.canonicalFilePath(); !real.isEmpty()) return real;
    const QString folder = info.absoluteDir().canonicalPath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}

TableLock::Result TableLock::take(const QString& table, Holder holder, int waitMs,
                                  QString* error) {
    release();
    const QString lockPath = tableRealPath(table) + QStringLiteral(".lock");
    const QByteArray name = QFile::encodeName(lockPath);
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        const bool writable = fd >= 0;
        // Another user's lock file locks as well read-only.
        if (fd < 0 && errno == EACCES) fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            if (error)
                *error = QStringLiteral("ล็อกตาราง %1 ไม่ได้ (สร้างแฟ้ม %2 ไม่ได้: %3)")
                             .arg(table, lockPath, lastSystemReason());
            return Result::Unlockable;
        }
        int errnum = 0;
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            errnum = errno;
            if ((errnum != EWOULDBLOCK && errnum != EINTR) || deadline.hasExpired()) break;
            QThread::msleep(20);
            errnum = 0;
        }
        if (errnum) {
            const bool held = errnum == EWOULDBLOCK;
            if (error) {
                *error = held ? QStringLiteral("%1 กำลังแก้ตาราง %2 อยู่").arg(holderText(fd), table)
                              : QStringLiteral("ล็อกตาราง %1 ไม่ได้: %2").arg(table, systemReason(errnum));
            }
            ::close(fd);
            return held ? Result::Held : Result::Unlockable;
        }
        // The holder before may have removed the file while this one waited
        // on it: the lock is the file that is at the path now.
        const FileIdentity locked = identityOf(fd), there = identityAt(lockPath);
        if (!there.exists || locked.device != there.device || locked.inode != there.inode) {
            ::close(fd);
            continue;
        }
        fd_ = fd;
        writable_ = writable;
        path_ = name;
        if (writable_) {
            writeHolder(fd_, QByteArray::number(qint64(::getpid())) + ' ' + holderWord(holder) + '\n');
        }
        return Result::Taken;
    }
}

void TableLock::release() {
    if (fd_ < 0) return;
    // Emptied and removed while still held, so that nobody reads a holder
    // who has gone and no lock file stays behind; whoever waited on it
    // takes the lock anew at the path.
    if (writable_) writeHolder(fd_, QByteArray());
    ::unlink(path_.constData());
    ::close(fd_);  // closing lets the lock go
    fd_ = -1;
}
