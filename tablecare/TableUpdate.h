// Changing an index table on disk: building it anew from a CSV of monthly
// indices (import), adding and correcting months from one (merge), and
// saving what the table window edited. Every writer goes through here, so
// that these rules hold for all of them:
// - the table's lock (TableLock) is held from reading the table to putting
//   the new one in place, so no writer's months are lost to another's;
// - the new table is written beside the file and renamed into place only
//   while the file is still the one that was read;
// - TABLE.bak is the table as it was before the last change that changed
//   something: nothing at all is written when nothing changes, and the
//   backup is written only once the table is known to be a regular file.
// What is written is decided by TableTools (the merge) and TableEditor
// (the window's edits); this unit reads the files, refuses what would lose
// months or write over an input, and writes.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

#include "base/SystemFiles.h"

// Where the table as it was before the last change is kept: beside the
// table's real path (a link from another folder is the same table).
QString backupPath(const QString& table);

// Empty when writing the table at `table` or its backup cannot touch any
// of `inputs`; else the Thai refusal naming both files.
QString tableOverwritesInput(const QString& table, const QStringList& inputs);

// The table as a writer read it: its bytes and which file they came from
// (no file there: no bytes, and `seen.exists` false).
struct TableRead {
    QByteArray bytes;
    FileIdentity seen;
};
// The table at `path` as it stands; nullopt with the Thai reason naming
// the file when it cannot be read. What is there and is not a regular file
// reads as no bytes: writing it then refuses.
std::optional<TableRead> readTable(const QString& path, QString* error);

enum class Saved { Written, Unchanged, Failed };
// Replaces the table at `path` (read as `before`, under the lock) by
// `next`, `before.bytes` going to the backup when it holds anything.
// Unchanged, with nothing written, when `next` is the table as it is.
// Failed with the Thai reason, the table and the backup as they were, when
// the path is not a regular file or the file is no longer `before`.
Saved saveTable(const QString& path, const TableRead& before, const QByteArray& next,
                QString* error);

struct TableUpdate {
    // Refused: the CSV or the change is not acceptable, or the table is
    // being changed elsewhere; Unreadable: a file cannot be read at all.
    enum class Status { Done, Refused, Unreadable };
    Status status = Status::Done;
    QString error;        // Thai, naming the file, when not Done
    QStringList report;   // merge: a line a month added, corrected or duplicate
    QStringList warnings; // Thai, naming the CSV's row: an index that is 0 or negative
    int records = 0;      // import: the months written
    int added = 0, corrected = 0;
    bool written = false;   // false when the table already was what it would become
    bool backedUp = false;  // the table as it was is in backupPath()
    QString note;  // Thai: the CSV was read in another encoding than UTF-8
};

// The table at `tablePath` built from the CSV at `csvPath`; a table already
// there that holds months the CSV lacks is replaced only when `replace`.
TableUpdate importTable(const QString& csvPath, const QString& tablePath, bool replace);
// The CSV's months added to the table at `tablePath`, those it holds
// corrected in place (mergeTable).
TableUpdate mergeIntoTable(const QString& csvPath, const QString& tablePath);
