// Replacing a file's whole content safely: the new content is written to a
// temporary file beside it and renamed into place only when every byte is
// written, so a full disk, an I/O error or a kill never leaves
// a truncated file where a good one was. Only regular files are replaced: a
// device, FIFO, socket or folder at the path is refused. A symbolic link to
// a file is followed and its target replaced; a link to a missing file is
// refused rather than replaced by a file of its own.
//
// The temporary file has no name until it is complete (where the file
// system can make such a file), so a kill while it is written leaves
// nothing; one named beside the target ("TARGET.tmp-PID-XXXXXX") that a
// killed process left is removed by the next write of the same target. It
// does not lock: writers that must not overlap take a lock of their own.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>

#include "base/SystemFiles.h"

// A replacement written piece by piece, for content too large to hold
// (a PDF of a whole contract): begin() checks the path and opens the
// temporary file, write() appends, commit() puts it in place. Whatever
// does not reach commit() (a failed write, a destructor) leaves the old
// file untouched and no temporary file behind.
class FileReplacement {
  public:
    explicit FileReplacement(QString path) : path_(std::move(path)) {}
    ~FileReplacement() { discard(); }
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    bool begin(QString* error);
    // False once any write failed; the first failure is what commit says.
    bool write(const char* data, size_t size);
    bool failed() const { return errnum_ != 0; }
    // commit() refuses, leaving the file as it is, unless the file at the
    // path is still `seen` (the one read; no file when !seen.exists) the
    // moment before the new content is put in its place.
    void expect(const FileIdentity& seen) { expected_ = seen; }
    // False, with the reason and the replacement discarded, when the file
    // at the path is no longer what expect() was given.
    bool check(QString* error);
    bool commit(QString* error);
    void discard();

  private:
    bool fail(const QString& why, QString* error);
    bool flush();
    QString path_;
    QByteArray pending_;  // written out in large pieces: callers write small ones
    QByteArray target_, temp_;  // temp_ empty while the temporary file has no name
    std::optional<FileIdentity> expected_;
    unsigned mode_ = 0666;
    int fd_ = -1;
    int errnum_ = 0;
};

// Why `path` cannot be replaced, in Thai (not naming it): something there
// that is not a regular file, or a link to a missing file. Empty when it
// can, so that a caller can refuse before it makes anything beside it.
QString replaceRefusal(const QString& path);

// False, with a Thai reason naming the file in `error`, when the file was
// not replaced; the old file is then untouched and no temporary file stays.
bool replaceFile(const QString& path, const QByteArray& content, QString* error);

// Creates `path` with `content`, written beside and put in place whole, so
// a kill never leaves a part of it; true also when another process made the
// file first (it is left as that one wrote it). False with a Thai reason.
bool createFile(const QString& path, const QByteArray& content, QString* error);

// Empty when writing `output` cannot touch any of `inputs`; otherwise the
// Thai refusal naming both. Two paths are one file when, links followed,
// they share device and inode (so "./c.csv" and a link to it count too).
// An output that does not exist yet is no input.
QString outputIsInput(const QString& output, const QStringList& inputs);
