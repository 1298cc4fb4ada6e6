// Reading and writing the CSV files people exchange with spreadsheets:
// the encoding is detected (UTF-8 with or without a byte-order mark,
// otherwise Windows-874, the Thai code page a Thai spreadsheet saves in,
// which TIS-620 is part of), fields are split by commas with double quotes
// around fields that hold commas, quotes or line breaks. A file saved as
// UTF-16 is recognised and refused. It knows nothing of what the columns
// mean.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

enum class CsvEncoding { Utf8, Windows874 };

// A CSV file's text, decoded.
struct CsvText {
    CsvText() = default;
    // A text already decoded, all of one encoding.
    CsvText(QString decoded) : text(std::move(decoded)) {}
    QString text;
    // What the file was read in: the encoding most of its lines are in.
    CsvEncoding encoding = CsvEncoding::Utf8;
    // The lines (from 1) saved in the other encoding, each decoded as what
    // it is; CsvReader marks their rows, which are refused rather than read.
    std::vector<int> otherEncodingLines;
    // In Thai, why the file cannot be read at all; empty when it can.
    QString refusal;
};

// The text of a file's bytes. A line is UTF-8 when it is valid UTF-8,
// except that a line whose UTF-8 reading has no Thai while its Windows-874
// reading is Thai through and through (รถ is C3 B6, which UTF-8 reads as
// "ö") is Windows-874 when the file has no byte-order mark. The file is in
// the encoding most of its lines beyond ASCII are in (UTF-8 with the mark or
// when as many are UTF-8); the lines in the other one are listed. A file
// with UTF-16's byte-order mark (a spreadsheet's "Unicode text") is refused.
CsvText decodeCsvBytes(const QByteArray& bytes);

// For the user, in Thai, the encoding the file was read in when it is not
// UTF-8; empty for UTF-8.
QString csvEncodingNote(const CsvText& text);

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
    // A line of the row was saved in the other encoding than the file.
    bool otherEncoding = false;
};

// Why a row cannot be used as it stands (a quote never closed, a line in
// the other encoding, bytes neither encoding knows), in Thai; empty when it
// can.
QString csvRowProblem(const CsvRow& row);

// Reads the rows of a text one at a time, so that a file of any length
// needs the memory of one row. Blank lines are skipped; cells keep their
// blanks. A quote never closed makes its row refused (unclosedQuote), and
// every row after its line is read only to be counted (swallowed).
class CsvReader {
  public:
    explicit CsvReader(CsvText text);
    // The next row, or false at the end.
    bool next(CsvRow* row);

  private:
    bool readRow(CsvRow* row);  // false for a blank line
    bool otherEncoding(int first, int last) const;
    const CsvText source_;
    const QString& text_ = source_.text;
    qsizetype at_ = 0;
    int line_ = 1;
    int row_ = 0;
    int swallowedBy_ = 0;  // the line of a quote never closed, once met
};

// All rows in order, as CsvReader reads them.
std::vector<CsvRow> parseCsv(const CsvText& text);

// A cell as written into a CSV: quoted when it must be.
QString csvCell(const QString& value);
