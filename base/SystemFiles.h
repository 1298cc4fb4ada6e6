// What the system says about files, in the user's words: the one Thai
// wording of a system error, the one rule that only a regular file (or a
// link to one) is read or replaced, opening such a file to read without
// ever blocking on a FIFO or a device, and what file a path or an open
// file is (its identity), to tell whether another was put in its place.
#pragma once

#include <QFile>
#include <QString>
#include <optional>

// The Thai words for a system error number, with the system's own after.
QString systemReason(int errnum);
// The same for the system call that just failed (an input/output error
// when it left no number).
QString lastSystemReason();

// Empty for a regular file's `mode` (st_mode); else the Thai words for what
// is there instead (a folder, a FIFO, a device, a socket).
QString notRegularReason(unsigned mode);

// Which file is there and as it stood: device and inode, size, and the
// times of the last write and of the last change of any kind. Two looks
// with the same identity saw the same file, unchanged as far as the system
// can tell; a file put in its place (a rename) always has another inode.
struct FileIdentity {
    bool exists = false;
    quint64 device = 0, inode = 0;
    qint64 size = 0, modified = 0, changed = 0;  // times in nanoseconds
    bool operator==(const FileIdentity&) const = default;
};
// Of the open file `fd`: what was opened, whatever the path names now.
FileIdentity identityOf(int fd);
// Of what `path` names now, links followed; `exists` false when nothing.
FileIdentity identityAt(const QString& path);

// Opens `path` for reading into `file`; false with the Thai reason in `why`
// (the path not named): a system error, or not a regular file. `seen`, when
// given, is the identity of the file opened.
bool openRegularFile(QFile& file, const QString& path, QString* why,
                     FileIdentity* seen = nullptr);

// The largest file read whole into memory: far beyond any real contract or
// index CSV (a thousand-row contract is about 100 KB) or table (a century
// of months is 108 KB), so that a wrong file (a disk image, a sparse file
// of gigabytes) is refused at once instead of exhausting memory.
constexpr qint64 kLargestFile = qint64(256) << 20;

// The Thai refusal of a file larger than that, naming it.
QString tooLarge(const QString& path);

// Opens `path` for reading; false with the Thai reason naming the file in
// `error`. A FIFO or a device is refused rather than read (it could block
// for ever).
bool openRegular(QFile& f, const QString& path, QString* error);

// The file's bytes, or nullopt with the Thai reason naming the file in
// `error`: not a regular file, or larger than kLargestFile. `seen`, when
// given, is the identity of the file read, taken once it was read.
std::optional<QByteArray> readRegularFile(const QString& path, QString* error,
                                          FileIdentity* seen = nullptr);
