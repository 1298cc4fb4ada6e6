// What the system says about files, in the user's words: the one Thai
// wording of a system error, the one rule that only a regular file (or a
// link to one) is read or replaced, and opening such a file to read without
// ever blocking on a FIFO or a device.
#pragma once

#include <QFile>
#include <QString>

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
