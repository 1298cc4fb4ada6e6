// What the system says about files, in the user's words: the one Thai
// wording of a system error, the one rule that only a regular file (or a
// link to one) is read or replaced, and opening such a file to read without
// ever blocking on a FIFO or a device.
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

// Opens `path` for reading into `file`; false with the Thai reason in `why`
// (the path not named): a system error, or not a regular file.
bool openRegularFile(QFile& file, const QString& path, QString* why);

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
// `error`: not a regular file, or larger than kLargestFile.
std::optional<QByteArray> readRegularFile(const QString& path, QString* error);
