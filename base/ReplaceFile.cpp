#include "base/ReplaceFile.h"

#include "base/SystemFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
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

// Temporary files beside a target are "TARGET.tmp-PID-XXXXXX": a name no
// user's file is likely to have, which says whose it was.
QByteArray tempPrefix(const QByteArray& target) {
    return target + ".tmp-" + QByteArray::number(::getpid()) + '-';
}

// A file open for writing beside `target`: unnamed (O_TMPFILE), so that a
// kill leaves nothing, where the file system and /proc allow giving it a
// name later; otherwise named. 0, or the error number.
int openTemp(const QByteArray& target, int* fd, QByteArray* name) {
    name->clear();
    if (::access("/proc/self/fd", X_OK) == 0) {
        const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(target)).absolutePath());
        *fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (*fd >= 0) return 0;
    }
    *name = tempPrefix(target) + "XXXXXX";
    *fd = ::mkostemp(name->data(), O_CLOEXEC);
    if (*fd >= 0) return 0;
    name->clear();
    return errno;
}

// Gives the unnamed file `fd` the name `name`; 0 or the error number
// (EEXIST when something has that name).
int linkUnnamed(int fd, const QByteArray& name) {
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
    return ::linkat(AT_FDCWD, proc.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0
               ? 0
               : errno;
}

// Names the unnamed file `fd` beside `target`, as a temporary file.
int nameTemp(int fd, const QByteArray& target, QByteArray* name) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray candidate = tempPrefix(target);
        for (int i = 0; i < 6; ++i)
            candidate += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
        const int errnum = linkUnnamed(fd, candidate);
        if (errnum != EEXIST) {
            if (!errnum) *name = candidate;
            return errnum;
        }
    }
    return EEXIST;
}

// Whether process `pid` still runs: one killed but not yet reaped by its
// parent (a zombie) writes nothing more.
bool running(pid_t pid) {
    if (::kill(pid, 0) != 0 && errno == ESRCH) return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return true;
    const QByteArray line = stat.readAll();
    const qsizetype state = line.lastIndexOf(')') + 2;  // after "pid (name) "
    return state < 2 || state >= line.size() || line[state] != 'Z';
}

// Removes the temporary files beside `target` that a process now gone left
// (killed between naming its file and putting it in place).
void removeLeftovers(const QByteArray& target) {
    const QFileInfo info(QFile::decodeName(target));
    const QRegularExpression ours(QStringLiteral("^%1\\.tmp-(\\d+)-[A-Za-z0-9]{6}$")
                                      .arg(QRegularExpression::escape(info.fileName())));
    const QDir folder = info.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch m = ours.match(name);
        if (!m.hasMatch()) continue;
        const pid_t pid = pid_t(m.captured(1).toLongLong());
        if (pid == ::getpid() || pid <= 0 || running(pid)) continue;
        ::unlink(QFile::encodeName(folder.filePath(name)).constData());
    }
}

}  // namespace

bool FileReplacement::fail(const QString& why, QString* error) {
    discard();
    if (error) *error = QStringLiteral("เขียนแฟ้ม %1 ไม่ได้: %2").arg(path_, why);
    return false;
}

QString replaceRefusal(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) == 0) {
        if (const QString what = notRegularReason(info.st_mode); !what.isEmpty())
            return what + QStringLiteral(" จึงไม่เขียนทับ");
    } else if (::lstat(name.constData(), &info) == 0 && S_ISLNK(info.st_mode)) {
        // Renaming onto the link would replace the link, not what it names.
        return QStringLiteral("เป็นลิงก์ไปยังแฟ้มที่ไม่มีอยู่ (%1) จึงไม่เขียน")
            .arg(QFileInfo(path).symLinkTarget());
    }
    return QString();
}

bool FileReplacement::begin(QString* error) {
    discard();
    if (const QString why = replaceRefusal(path_); !why.isEmpty()) return fail(why, error);
    QString target = path_;
    mode_t mode = 0666 & ~currentUmask();
    struct stat info {};
    if (::stat(QFile::encodeName(path_).constData(), &info) == 0) {
        mode = info.st_mode & 07777;
        const QFileInfo link(path_);
        if (link.isSymLink()) target = link.canonicalFilePath();
    }
    mode_ = mode;
    target_ = QFile::encodeName(target);
    if (const int errnum = openTemp(target_, &fd_, &temp_)) return fail(systemReason(errnum), error);
    errnum_ = 0;
    return true;
}

bool FileReplacement::check(QString* error) {
    if (!expected_ || identityAt(QFile::decodeName(target_)) == *expected_) return true;
    return fail(QStringLiteral("แฟ้มถูกเปลี่ยนจากที่อื่นหลังจากอ่าน (โปรแกรมอื่นเขียนลงไประหว่างนี้) "
                               "จึงไม่เขียนทับ"),
                error);
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
    // Named only now, for the rename: a kill before leaves nothing.
    if (!errnum && temp_.isEmpty()) errnum = nameTemp(fd_, target_, &temp_);
    if (::close(fd_) != 0 && !errnum) errnum = errno;
    fd_ = -1;
    if (errnum) return fail(systemReason(errnum), error);
    if (!check(error)) return false;
    if (::rename(temp_.constData(), target_.constData()) != 0) return fail(lastSystemReason(), error);
    temp_.clear();
    removeLeftovers(target_);
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
    int fd = -1;
    int errnum = openTemp(target, &fd, &temp);
    if (!errnum) errnum = writeAll(fd, content.constData(), size_t(content.size()));
    if (!errnum && ::fchmod(fd, 0666 & ~currentUmask()) != 0) errnum = errno;
    // A hard link never replaces: whoever made the file first keeps it.
    if (!errnum && temp.isEmpty()) errnum = linkUnnamed(fd, target);
    else if (!errnum && ::link(temp.constData(), target.constData()) != 0) errnum = errno;
    if (fd >= 0 && ::close(fd) != 0 && !errnum) errnum = errno;
    if (!temp.isEmpty()) ::unlink(temp.constData());
    if (!errnum) removeLeftovers(target);
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
