// The four numeric kinds every value of the calculation keeps, and the
// fixed-length texts of the state. Widths matter: a ratio that leaves the
// Integer range is an error, not a wider number.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>

using Integer = std::int16_t;
using Long = std::int32_t;
using Single = float;
using Double = double;

// A fixed text of n is always exactly n UTF-16 code units long.
inline QString fixedText(const QString& value, int n) {
    if (value.size() >= n) return value.left(n);
    return value + QString(n - value.size(), QLatin1Char(' '));
}

// Removes blanks (U+0020 only) from both ends; code-0 characters and tabs
// stay, as the table fields and the printed designation need.
inline QStringView trimBlanks(QStringView text) {
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == QLatin1Char(' ')) ++b;
    while (e > b && text[e - 1] == QLatin1Char(' ')) --e;
    return text.mid(b, e - b);
}

// Fixed texts start out as code-0 characters, not blanks.
inline QString codeZeroText(int n) { return QString(n, QChar(0)); }
