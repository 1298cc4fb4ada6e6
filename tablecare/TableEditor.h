// The index table as the table window edits it: the records of KTABLE.DAT
// held in memory, shown in calendar order with what `check` finds on each;
// a month added, a month corrected, a duplicate removed, each undoable; and
// saving the whole table beside the file and renaming it into place, the
// file as it was kept as KTABLE.DAT.bak. Every value is checked as import
// checks it (a plain number that fits 6 characters), and the record format
// is the program's own: the table reads the same everywhere after saving.
//
// While an editor holds a table it holds the table's lock (TableLock), so
// that no other window, merge or import writes it meanwhile; a table whose
// lock cannot be made there (a read-only place) is opened read-only. A
// table changed on disk since it was read is not saved over unless the
// caller says so. Saving goes through TableUpdate's saveTable, with its
// backup rule. It knows nothing of widgets.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "indexdata/IndexRecord.h"
#include "indexdata/TableFile.h"
#include "tablecare/TableLock.h"

class TableEditor {
  public:
    struct Row {
        int record = 0;  // index into the records, from 0 (record number - 1)
        Long year = 0, month = 0;
        QStringList fields;  // the 15 fields as they stand, without blanks
        IndexValues values;  // as the program reads them
        QStringList findings;  // of check, in Thai
    };

    TableEditor() = default;
    TableEditor(const TableEditor&) = delete;
    TableEditor& operator=(const TableEditor&) = delete;

    // Reads the table at `path` and takes its lock; false with the Thai
    // reason (another window or program holds it, it cannot be read, it
    // ends in a part of a record). Where the lock cannot be made (the
    // table's folder cannot be written) it opens the table read-only.
    bool open(const QString& path, QString* error);
    // Why the table cannot be changed here, in Thai; empty when it can.
    const QString& readOnly() const { return readOnly_; }

    // The records in calendar order (a month's records in file order).
    std::vector<Row> rows() const;
    int records() const { return int(records_.size()); }

    // The month after the latest one the table holds ("1/2548" when empty).
    std::pair<Long, Long> nextMonth() const;

    // A row of values as typed or pasted (from a spreadsheet or a web page:
    // tab, comma, semicolon or blank between them; Thai digits are digits):
    // the 13 index values, or the year and month before them, which must
    // be `year` and `month` (the month being added or corrected). Nullopt
    // with the Thai reason when it is not that: a row of another month is
    // never taken for this one.
    static std::optional<QStringList> splitRow(const QString& text, Long year, Long month,
                                               QString* error);
    // Whether `text` holds more than one value: a row rather than a value.
    static bool isRow(const QString& text);

    // Each false with a Thai reason and nothing changed: a value that
    // import would refuse, a month the table holds already or that the
    // search could not find as itself (add), a record that is not a later
    // record of its month (remove), a table opened read-only.
    bool addMonth(Long year, Long month, const QStringList& values, QString* error);
    bool correct(int record, const QStringList& values, QString* error);
    bool removeDuplicate(int record, QString* error);
    bool undo();
    bool canUndo() const { return !undo_.empty(); }
    bool modified() const { return records_ != saved_; }

    // Whether the file is no longer what was read (another program wrote it).
    bool changedOnDisk() const;
    // Writes the table; the file as it was goes to TABLE.bak. Refuses (false,
    // with the reason) a table changed on disk unless `overwrite`. When the
    // file holds the table already, nothing is written (wrote() is false).
    bool save(QString* error, bool overwrite = false);
    bool wrote() const { return wrote_; }
    const QString& path() const { return path_; }

  private:
    bool replaceRecords(std::vector<QByteArray> records);
    bool changeable(QString* error) const;
    QByteArray bytes() const;

    QString path_;
    TableLock lock_;
    QString readOnly_;
    bool wrote_ = false;
    std::vector<QByteArray> records_, saved_;
    std::vector<std::vector<QByteArray>> undo_;
    QByteArray onDisk_;  // the file as read or last saved
};
