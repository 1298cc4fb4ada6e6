#include "base/ReplaceFile.h"

#include "base/SystemFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// The process's umask (reading it means setting it: set straight back).
mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Writes all of `size` bytes to `fd`; 0 or the error number.
int writeAll(int fd, const char* data, size_t size) {
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        done += size_t(n);
    }
    return 0;
}

// Writes `content` whole into a new temporary file beside `target` with
// `mode`; 0 with its name in `temp`, or the error number (no file stays).
int writeBeside(const QByteArray& target, const QByteArray& content, mode_t mode,
                QByteArray* temp) {
    QByteArray name = target + ".XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return errno;
    int errnum = writeAll(fd, content.constData(), size_t(content.size()));
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

bool FileReplacement::fail(const QString& why, QString* error) {
    discard();
    if (error) *error = QStringLiteral("เขียนแฟ้ม %1 ไม่ได้: %2").arg(path_, why);
    return false;
}

bool FileReplacement::begin(QString* error) {
    discard();
    QString target = path_;
    mode_t mode = 0666;
    const QByteArray original = QFile::encodeName(path_);
    struct stat info {};
    if (::stat(original.constData(), &info) == 0) {
        if (const QString what = notRegularReason(info.st_mode); !what.isEmpty())
            return fail(what + QStringLiteral(" จึงไม่เขียนทับ"), error);
        mode = info.st_mode & 07777;
        const QFileInfo link(path_);
        if (link.isSymLink()) target = link.canonicalFilePath();
    } else if (::lstat(original.constData(), &info) == 0 && S_ISLNK(info.st_mode)) {
        // Renaming onto the link would replace the link, not what it names.
        return fail(QStringLiteral("เป็นลิงก์ไปยังแฟ้มที่ไม่มีอยู่ (%1) จึงไม่เขียน")
                        .arg(QFileInfo(path_).symLinkTarget()),
                    error);
    } else {
        mode &= ~currentUmask();
    }
    mode_ = mode;
    target_ = QFile::encodeName(target);
    temp_ = target_ + ".XXXXXX";
    fd_ = ::mkstemp(temp_.data());
    if (fd_ < 0) {
        const int errnum = errno;
        temp_.clear();
        return fail(systemReason(errnum), error);
    }
    errnum_ = 0;
    return true;
}

bool FileReplacement::write(const char* data, size_t size) {
    if (fd_ < 0) return false;
    pending_.append(data, qsizetype(size));
    return pending_.size() < (qsizetype(1) << 16) || flush();
}

bool FileReplacement::flush() {
    if (!errnum_) errnum_ = writeAll(fd_, pending_.constData(), size_t(pending_.size()));
    pending_.clear();
    return errnum_ == 0;
}

bool FileReplacement::commit(QString* error) {
    if (fd_ < 0) return fail(systemReason(EBADF), error);
    // No fsync: putting it in place only after the last byte was written is
    // what keeps a kill or a full disk from losing the old file.
    flush();
    int errnum = errnum_;
    if (!errnum && ::fchmod(fd_, mode_t(mode_)) != 0) errnum = errno;
    if (::close(fd_) != 0 && !errnum) errnum = errno;
    fd_ = -1;
    if (!errnum && ::rename(temp_.constData(), target_.constData()) != 0) errnum = errno;
    if (errnum) return fail(systemReason(errnum), error);
    temp_.clear();
    return true;
}

void FileReplacement::discard() {
    pending_.clear();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.isEmpty()) ::unlink(temp_.constData());
    temp_.clear();
}

bool replaceFile(const QString& path, const QByteArray& content, QString* error) {
    FileReplacement file(path);
    if (!file.begin(error)) return false;
    file.write(content.constData(), size_t(content.size()));
    return file.commit(error);
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
