// Changing an index table on disk: building it anew from a CSV of monthly
// indices (import), adding and correcting months from one (merge), and
// saving what the table window edited. Every change writes the whole table
// beside the file and renames it into place, the table as it was kept as
// TABLE.bak for the documented undo. What is written is decided by
// TableTools (the merge) and TableEditor (the window's edits); this unit
// reads the files, refuses what would lose months or write over an input,
// and writes.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Where the table as it was before the last change is kept.
QString backupPath(const QString& table);

// Replaces the table at `path` by `next`, keeping `before` (the table as it
// was read for this change) as the backup when it holds anything. False
// with the Thai reason, and the table as it was.
bool saveTable(const QString& path, const QByteArray& before, const QByteArray& next,
               QString* error);

struct TableUpdate {
    // Refused: the CSV or the change is not acceptable; Unreadable: a file
    // cannot be read at all.
    enum class Status { Done, Refused, Unreadable };
    Status status = Status::Done;
    QString error;       // Thai, naming the file, when not Done
    QStringList report;  // merge: a line a month added, corrected or duplicate
    int records = 0;     // import: the months written
    int added = 0, corrected = 0;
    bool backedUp = false;  // the table as it was is in backupPath()
    QString note;  // Thai: the CSV was read in another encoding than UTF-8
};

// The table at `tablePath` built from the CSV at `csvPath`; a table already
// there that holds months the CSV lacks is replaced only when `replace`.
TableUpdate importTable(const QString& csvPath, const QString& tablePath, bool replace);
// The CSV's months added to the table at `tablePath`, those it holds
// corrected in place (mergeTable).
TableUpdate mergeIntoTable(const QString& csvPath, const QString& tablePath);
