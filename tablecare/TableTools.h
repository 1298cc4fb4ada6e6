// Looking after an index table: its records as the program reads them (for
// listing), as they stand (for export to CSV) and what in them would make a
// sheet wrong or fail (the check). Reads the table record by record in large
// blocks, so that memory does not grow with the table, and writes nothing;
// the month search and the record format are the program's own.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>
#include <vector>

#include "indexdata/IndexRecord.h"

struct TableRecord {
    Long number = 0;      // from 1, in file order
    int bytes = 0;        // how many of its 90 bytes the file holds
    bool counted = true;  // whether the record count includes it (a search reads it)
    IndexRecord raw;      // fields as read, missing bytes as code 0
    IndexValues values;   // as the program converts them
};

// Calls `each` with every record of `table` (of `size` bytes, read from
// its current position) in file order, a trailing part of one included
// (marked by `bytes` and `counted`), with the record's own bytes. False,
// with the system's reason in `error`, when the file cannot be read.
using RecordVisitor = std::function<void(const TableRecord&, QByteArrayView bytes)>;
bool forEachRecord(QIODevice& table, qint64 size, const RecordVisitor& each, QString* error);

// Every record of a table held in memory. An empty table has none.
std::vector<TableRecord> tableRecords(const QByteArray& table);

// The listing: one aligned line a record under a heading, given to `out`
// line by line. Reads `table` twice (widths, then lines): it must seek.
bool listTable(QIODevice& table, const std::function<void(const QString&)>& out,
               QString* error);

// The CSV that import reads back into the same table: the heading, then
// one row a record, each field as it stands without its blanks.
QString exportTable(const std::vector<TableRecord>& records);

struct TableFinding {
    Long record = 0;  // 0 for the file as a whole
    QString month;    // of the record, as the program reads it: "9/2548"
    QString text;     // Thai
};

// What check says of the value `v` of `column` (`blank`: its field holds
// nothing), in Thai: too large to be a number, 0 or negative, in a column
// that a formula divides by. Empty when every formula can use it.
QString indexValueFinding(IndexColumn column, Single v, bool blank);

// Everything that would make a sheet wrong or fail, by record number, each
// given to `found` as it is found. Keeps only the year and month of each
// month's first record. `name` is the table's path, for the repair a
// finding suggests (KTABLE.DAT when empty).
bool checkTable(QIODevice& table, const std::function<void(const TableFinding&)>& found,
                QString* error, const QString& name = QString());
// The same for a table held in memory.
std::vector<TableFinding> checkTable(const QByteArray& table);

// The months a table holds as the month search finds them ("1/2548"), of
// `table` that `replacement` lacks: what replacing the one by the other
// would lose.
QStringList monthsLost(const QByteArray& table, const QByteArray& replacement);

struct TableMerge {
    QByteArray table;    // the merged table
    QStringList report;  // Thai, a line a month: added, corrected (old and new values), duplicates
    int added = 0, corrected = 0;
    QString error;  // Thai, when nothing can be merged
};

// Each record of `records` (whole records, as import builds them) goes
// into `table`: a month the table holds is corrected in place in the
// record the search uses (the first of that month), and any later record
// of it is reported; a month it lacks is appended. The record format and
// every other record stay as they are.
TableMerge mergeTable(const QByteArray& table, const QByteArray& records);
