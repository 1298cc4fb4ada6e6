// Looking after an index table: its records as the program reads them (for
// listing), as they stand (for export to CSV) and what in them would make a
// sheet wrong or fail (the check). Works on the table's bytes and writes
// nothing; the month search and the record format are the program's own.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "indexdata/IndexRecord.h"

struct TableRecord {
    Long number = 0;      // from 1, in file order
    int bytes = 0;        // how many of its 90 bytes the file holds
    bool counted = true;  // whether the record count includes it (a search reads it)
    IndexRecord raw;      // fields as read, missing bytes as code 0
    IndexValues values;   // as the program converts them
};

// Every record of the table, a trailing part of one included (marked by
// `bytes` and `counted`). An empty table has none.
std::vector<TableRecord> tableRecords(const QByteArray& table);

// The listing: one aligned line a record, with a heading.
QString listTable(const std::vector<TableRecord>& records);

// The CSV that import reads back into the same table: the heading, then
// one row a record, each field as it stands without its blanks.
QString exportTable(const std::vector<TableRecord>& records);

struct TableFinding {
    Long record = 0;  // 0 for the file as a whole
    QString text;     // Thai
};

// Everything that would make a sheet wrong or fail, by record number.
std::vector<TableFinding> checkTable(const QByteArray& table);
