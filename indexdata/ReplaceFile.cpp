#include "indexdata/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

QString systemReason(int errnum) {
    QString thai;
    switch (errnum) {
        case ENOSPC:
            thai = QStringLiteral("พื้นที่บนดิสก์เต็ม");
            break;
        case EDQUOT:
            thai = QStringLiteral("ใช้พื้นที่เกินโควตาที่ได้รับ");
            break;
        case EIO:
            thai = QStringLiteral("อ่านหรือเขียนอุปกรณ์เก็บข้อมูลไม่ได้");
            break;
        case EACCES:
        case EPERM:
            thai = QStringLiteral("ไม่มีสิทธิ์เขียนที่นั่น");
            break;
        case EROFS:
            thai = QStringLiteral("ที่เก็บนั้นเขียนไม่ได้ (อ่านได้อย่างเดียว)");
            break;
        case ENOENT:
        case ENOTDIR:
            thai = QStringLiteral("ไม่มีโฟลเดอร์นั้น");
            break;
        default:
            thai = QStringLiteral("ระบบแจ้งข้อผิดพลาด");
            break;
    }
    return thai + QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(errnum)));
}

namespace {

// The process's umask (reading it means setting it: set straight back).
mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Writes `content` whole into a new temporary file beside `target` with
// `mode`; 0 with its name in `temp`, or the error number (no file stays).
int writeBeside(const QByteArray& target, const QByteArray& content, mode_t mode,
                QByteArray* temp) {
    QByteArray name = target + ".XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return errno;
    int errnum = 0;
    for (qsizetype done = 0; done < content.size() && !errnum;) {
        const ssize_t n =
            ::write(fd, content.constData() + done, static_cast<size_t>(content.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) errnum = n < 0 ? errno : EIO;
        done += n;
    }
    // No fsync: putting it in place only after the last byte was written is
    // what keeps a kill or a full disk from losing the old file.
    if (!errnum && ::fchmod(fd, mode) != 0) errnum = errno;
    if (::close(fd) != 0 && !errnum) errnum = errno;
    if (errnum) {
        ::unlink(name.constData());
        return errnum;
    }
    *temp = name;
    return 0;
}

}  // namespace

bool replaceFile(const QString& path, const QByteArray& content, QString* error) {
    const auto fail = [&](const QString& why) {
        if (error) *error = QStringLiteral("เขียนแฟ้ม %1 ไม่ได้: %2").arg(path, why);
        return false;
    };
    QString target = path;
    mode_t mode = 0666;
    const QByteArray original = QFile::encodeName(path);
    struct stat info {};
    if (::stat(original.constData(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) return fail(QStringLiteral("ไม่ใช่แฟ้มธรรมดา จึงไม่เขียนทับ"));
        mode = info.st_mode & 07777;
        const QFileInfo link(path);
        if (link.isSymLink()) target = link.canonicalFilePath();
    } else if (::lstat(original.constData(), &info) == 0 && S_ISLNK(info.st_mode)) {
        // Renaming onto the link would replace the link, not what it names.
        return fail(QStringLiteral("เป็นลิงก์ไปยังแฟ้มที่ไม่มีอยู่ (%1) จึงไม่เขียน")
                        .arg(QFileInfo(path).symLinkTarget()));
    } else {
        mode &= ~currentUmask();
    }

    QByteArray temp;
    const int errnum = writeBeside(QFile::encodeName(target), content, mode, &temp);
    if (errnum) return fail(systemReason(errnum));
    if (::rename(temp.constData(), QFile::encodeName(target).constData()) != 0) {
        const int renameErr = errno;
        ::unlink(temp.constData());
        return fail(systemReason(renameErr));
    }
    return true;
}

bool createFile(const QString& path, const QByteArray& content, QString* error) {
    QByteArray temp;
    const QByteArray target = QFile::encodeName(path);
    int errnum = writeBeside(target, content, 0666 & ~currentUmask(), &temp);
    // A hard link never replaces: whoever made the file first keeps it.
    if (!errnum && ::link(temp.constData(), target.constData()) != 0) errnum = errno;
    if (!temp.isEmpty()) ::unlink(temp.constData());
    if (errnum == EEXIST) return true;
    if (errnum && error)
        *error = QStringLiteral("เขียนแฟ้ม %1 ไม่ได้: %2").arg(path, systemReason(errnum));
    return errnum == 0;
}

QString outputIsInput(const QString& output, const QStringList& inputs) {
    struct stat out {};
    if (::stat(QFile::encodeName(output).constData(), &out) != 0) return QString();
    for (const QString& input : inputs) {
        struct stat in {};
        if (::stat(QFile::encodeName(input).constData(), &in) == 0 && in.st_dev == out.st_dev &&
            in.st_ino == out.st_ino) {
            return QStringLiteral("แฟ้มที่จะเขียน %1 เป็นแฟ้มเดียวกับ %2 ที่อ่านอยู่ "
                                  "ถ้าเขียนลงไปข้อมูลใน %2 จะหายไป จึงไม่เขียนอะไรเลย: "
                                  "โปรดเลือกชื่อแฟ้มอื่น")
                .arg(output, input);
        }
    }
    return QString();
}
