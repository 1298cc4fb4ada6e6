// Reading and writing the CSV files people exchange with spreadsheets:
// the encoding is detected (UTF-8 with or without a byte-order mark,
// otherwise Windows-874, the Thai code page a Thai spreadsheet saves in,
// which TIS-620 is part of), fields are split by commas with double quotes
// around fields that hold commas, quotes or line breaks. It knows nothing of
// what the columns mean.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Text of a file's bytes in whichever of the two encodings it is in: UTF-8
// when it is valid UTF-8 (with or without a byte-order mark) or when most of
// its lines that are not plain ASCII are, otherwise Windows-874. In a UTF-8
// file, bytes that are not UTF-8 (a row saved in the other encoding) become
// U+FFFD, and csvRowProblem refuses their row: a designation is never
// garbled silently.
QString decodeCsvBytes(const QByteArray& bytes);

struct CsvRow {
    int line = 0;  // the line of the file the row starts on, from 1
    // The row as a spreadsheet numbers it, from 1: a cell holding line
    // breaks is still one row, a blank line is a row of its own.
    int row = 0;
    QStringList cells;
    // The line of a quote never closed: it began in this row and took the
    // rest of the file into one cell, or (swallowed) it began before this
    // row, which was read only to be counted.
    int unclosedQuote = 0;
    bool swallowed = false;
};

// Why a row cannot be used as it stands (a quote never closed, bytes in
// another encoding), in Thai; empty when it can.
QString csvRowProblem(const CsvRow& row);

// Reads the rows of a text one at a time, so that a file of any length
// needs the memory of one row. Blank lines are skipped; cells keep their
// blanks. A quote never closed makes its row refused (unclosedQuote), and
// every row after its line is read only to be counted (swallowed).
class CsvReader {
  public:
    explicit CsvReader(const QString& text);
    // The next row, or false at the end.
    bool next(CsvRow* row);

  private:
    bool readRow(CsvRow* row);  // false for a blank line
    const QString& text_;
    qsizetype at_ = 0;
    int line_ = 1;
    int row_ = 0;
    int swallowedBy_ = 0;  // the line of a quote never closed, once met
};

// All rows in order, as CsvReader reads them.
std::vector<CsvRow> parseCsv(const QString& text);

// A cell as written into a CSV: quoted when it must be.
QString csvCell(const QString& value);
