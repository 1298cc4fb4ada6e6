// Builds an index table from a CSV of monthly indices (columns year_be,
// month, then the 13 index columns in record order; a header line is
// optional, in English or with the year and month in Thai). Each value is written right-aligned in its 6-character field;
// a blank value stays blank. A value that is not a plain number, or that
// does not fit 6 characters, is refused with the row it stands in, rather
// than cut or guessed; so is a row whose year and month the month search
// could never find, or would find as another month, and a month written
// twice.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "base/CsvText.h"

// The columns of an index CSV, as import reads them and export writes them.
extern const QStringList kTableCsvHeader;
// The same heading as a Thai user writes it: the year and month in Thai,
// the index symbols as they are. Import reads it as the English one.
extern const QStringList kTableCsvThaiHeader;

struct CsvImport {
    bool ok = false;
    QByteArray table;  // whole 90-byte records
    int records = 0;
    std::vector<int> lines;  // the CSV line each record came from
    QString error;  // Thai, naming the row, when !ok
};

// A file saved as UTF-16 (csv.refusal) is refused as a whole.
CsvImport importIndexCsv(const CsvText& csv);

// What keeps one value (already without its blanks) out of a field, in
// Thai and naming the value: not a plain number, or longer than a field.
// Empty when it fits; an empty value (an index not yet published) fits.
QString indexValueProblem(const QString& value);

// What keeps a year and a month (each without its blanks) from naming one
// month that the search finds as that month, in Thai and naming the value:
// a month that is not a whole number 1 to 12 (2.5 would be read as 2), a
// year that is not a whole number above 0, a year below 2400 (taken for a
// Christian year, with the Buddhist Era hint). Empty when they do.
QString monthYearProblem(const QString& year, const QString& month);
