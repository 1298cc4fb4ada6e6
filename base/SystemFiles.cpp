#include "base/SystemFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

QString systemReason(int errnum) {
    static const struct {
        int errnum;
        const char* thai;
    } kReasons[] = {
        {ENOSPC, "พื้นที่บนดิสก์เต็ม"},
        {EDQUOT, "ใช้พื้นที่เกินโควตาที่ได้รับ"},
        {EIO, "อ่านหรือเขียนอุปกรณ์เก็บข้อมูลไม่ได้"},
        {EACCES, "ไม่มีสิทธิ์เข้าถึงแฟ้มหรือโฟลเดอร์นั้น"},
        {EPERM, "ไม่มีสิทธิ์เข้าถึงแฟ้มหรือโฟลเดอร์นั้น"},
        {EROFS, "ที่เก็บนั้นเขียนไม่ได้ (อ่านได้อย่างเดียว)"},
        {ENOENT, "ไม่มีแฟ้มหรือโฟลเดอร์นั้น"},
        {ENOTDIR, "ส่วนหนึ่งของชื่อแฟ้มไม่ใช่โฟลเดอร์"},
    };
    QString thai = QStringLiteral("ระบบแจ้งข้อผิดพลาด");
    for (const auto& r : kReasons)
        if (r.errnum == errnum) thai = QString::fromUtf8(r.thai);
    return thai + QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(errnum)));
}

QString lastSystemReason() { return systemReason(errno ? errno : EIO); }

QString notRegularReason(unsigned mode) {
    if (S_ISREG(mode)) return QString();
    if (S_ISDIR(mode)) return QStringLiteral("เป็นโฟลเดอร์ ไม่ใช่แฟ้ม");
    return QStringLiteral("ไม่ใช่แฟ้มธรรมดา (เช่น FIFO อุปกรณ์ หรือซ็อกเก็ต)");
}

namespace {
FileIdentity identity(const struct stat& info) {
    const auto ns = [](const timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return {true,          quint64(info.st_dev),  quint64(info.st_ino), qint64(info.st_size),
            ns(info.st_mtim), ns(info.st_ctim)};
}
}  // namespace

FileIdentity identityOf(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? identity(info) : FileIdentity();
}

FileIdentity identityAt(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? identity(info)
                                                                   : FileIdentity();
}

bool openRegularFile(QFile& file, const QString& path, QString* why, FileIdentity* seen) {
    // Non-blocking, so that opening a FIFO or a device cannot hang; what
    // it is decides before anything is read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (why) *why = systemReason(errno);
        return false;
    }
    struct stat info {};
    QString what = ::fstat(fd, &info) != 0 ? systemReason(errno) : notRegularReason(info.st_mode);
    if (what.isEmpty()) {
        if (seen) *seen = identity(info);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        file.setFileName(path);
        if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) return true;
        what = systemReason(EBADF);
    }
    ::close(fd);
    if (why) *why = what;
    return false;
}

QString tooLarge(const QString& path) {
    return QStringLiteral("%1: แฟ้มใหญ่เกินกว่าจะเป็นแฟ้มนี้ได้ (เกิน %2 MB) จึงไม่อ่าน: "
                          "ตรวจว่าเลือกแฟ้มถูก")
        .arg(path)
        .arg(kLargestFile >> 20);
}

bool openRegular(QFile& f, const QString& path, QString* error) {
    QString why;
    if (openRegularFile(f, path, &why)) return true;
    if (error) *error = QStringLiteral("%1: เปิดอ่านไม่ได้: %2").arg(path, why);
    return false;
}

std::optional<QByteArray> readRegularFile(const QString& path, QString* error,
                                          FileIdentity* seen) {
    QFile f;
    if (!openRegular(f, path, error)) return std::nullopt;
    if (f.size() > kLargestFile) {
        if (error) *error = tooLarge(path);
        return std::nullopt;
    }
    QByteArray bytes = f.readAll();
    if (seen) *seen = identityOf(f.handle());
    return bytes;
}
