// The Thai single-byte code pages: TIS-620, which the index table is
// written in, and Windows-874 (TIS-620 with a few punctuation marks), which
// spreadsheets on Windows save Thai CSV files in.
#pragma once

#include <QChar>
#include <QString>

// One byte of TIS-620 to its character: ASCII stays (code 0 stays code 0),
// A1-DA and DF-FB are the Thai letters, marks and digits, and the bytes
// that stand for nothing (80-A0, DB-DE, FC-FF) become U+FFFD.
QChar decodeTis620(unsigned char b);

// One byte of Windows-874: TIS-620 plus the euro sign, quotes, dashes,
// the ellipsis and the no-break space in 80-A0.
QChar decodeWindows874(unsigned char b);

// `text` with Thai digits (๐ to ๙), as official documents write numbers,
// turned into the same Arabic digits.
QString withArabicDigits(QString text);
