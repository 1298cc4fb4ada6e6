// The four numeric kinds every value of the calculation keeps, and the
// fixed-length texts of the state. Widths matter: a ratio that leaves the
// Integer range is an error, not a wider number.
#pragma once

#include <QString>
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

// Fixed texts start out as code-0 characters, not blanks.
inline QString codeZeroText(int n) { return QString(n, QChar(0)); }
