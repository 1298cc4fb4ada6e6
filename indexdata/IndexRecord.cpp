#include "indexdata/IndexRecord.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

IndexRecord decodeRecord(const RecordBytes& bytes) {
    IndexRecord rec;
    for (int f = 0; f < kFieldCount; ++f) {
        QString field(kFieldLength, QChar(0));
        for (int i = 0; i < kFieldLength; ++i) field[i] = decodeTis620(bytes[f * kFieldLength + i]);
        rec.fields[f] = field;
    }
    return rec;
}

namespace {

// The power of ten of the first non-zero digit of a numeral such as
// "-000123.45e-7" (here -5), saturated far beyond any Double; the numeral
// holds at least one non-zero digit.
long long decimalExponent(const std::string& num) {
    const size_t e = num.find('e');
    const std::string mantissa = num.substr(0, e);
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_of("123456789");
    const long long place = first < point ? static_cast<long long>(point - first) - 1
                                          : -static_cast<long long>(first - point);
    long long exp = 0;
    if (e != std::string::npos) {
        size_t i = e + 1;
        const bool negExp = i < num.size() && num[i] == '-';
        if (i < num.size() && (num[i] == '-' || num[i] == '+')) ++i;
        for (; i < num.size(); ++i) exp = std::min(exp * 10 + (num[i] - '0'), 1000000000LL);
        if (negExp) exp = -exp;
    }
    return place + exp;
}

}  // namespace

double leadingNumber(QStringView text) {
    // Collect the accepted characters into a plain numeral, then convert it
    // with from_chars, which ignores the locale.
    std::string num;
    bool digits = false, point = false, inExp = false, expSign = false, expDigits = false;
    bool sign = false;
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == ' ' || c == '\t' || c == '\n') continue;
        if (c >= '0' && c <= '9') {
            num += char(c);
            if (inExp)
                expDigits = true;
            else
                digits = true;
            if (inExp) expSign = true;
            continue;
        }
        if (!inExp) {
            if ((c == '+' || c == '-') && !sign && !digits && !point) {
                sign = true;
                if (c == '-') num += '-';
                continue;
            }
            if (c == '.' && !point) {
                point = true;
                num += '.';
                continue;
            }
            if ((c == 'E' || c == 'e' || c == 'D' || c == 'd') && digits) {
                inExp = true;
                num += 'e';
                continue;
            }
        } else if ((c == '+' || c == '-') && !expSign) {
            expSign = true;
            num += char(c);
            continue;
        }
        break;
    }
    if (!digits) return 0.0;
    // A dangling exponent ("12E", "12E-") means no exponent at all.
    if (inExp && !expDigits) num.erase(num.find('e'));
    if (!num.empty() && num.back() == '.') num.pop_back();
    if (num == "-" || num.empty()) return 0.0;
    double v = 0.0;
    // from_chars takes a minus sign but no plus sign, hence only '-' above.
    auto res = std::from_chars(num.data(), num.data() + num.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        // Beyond the Double range: an infinite value when the numeral's
        // leading digit stands at 10^0 or above, zero when below; the
        // numeral's length does not matter.
        const bool neg = num[0] == '-';
        v = decimalExponent(num) >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
        if (neg) v = -v;
    }
    return v;
}

namespace {
// Halves to even; a value beyond the Long range reads as 0, which no search
// key can be, rather than an undefined conversion.
Long toLongHalfEven(double v) {
    const double r = std::nearbyint(v);
    if (!(r >= std::numeric_limits<Long>::min() && r <= std::numeric_limits<Long>::max())) return 0;
    return static_cast<Long>(r);
}

double fieldValue(const QString& field) { return leadingNumber(trimBlanks(field)); }
}  // namespace

bool isPlainNumber(QStringView text) {
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    int digits = 0, points = 0;
    for (; i < text.size(); ++i) {
        if (text[i] >= u'0' && text[i] <= u'9') {
            ++digits;
        } else if (text[i] == u'.' && points == 0) {
            ++points;
        } else {
            return false;
        }
    }
    return digits > 0;
}

namespace {

// Field 1 (year) or 2 (month) of a record as convertRecord reads it.
Long keyField(const unsigned char* at) {
    // Blanks and digits only, the way tables hold years and months: the
    // number rule gives the digits read as one number, blanks skipped.
    // Every byte looked at, without an early way out: a loop the compiler
    // unrolls, a table's searches pass through it for every record.
    Long digits = 0;
    bool plain = true;
    for (int i = 0; i < kFieldLength; ++i) {
        const unsigned digit = unsigned(at[i]) - '0';
        if (digit <= 9)
            digits = digits * 10 + Long(digit);
        else
            plain &= at[i] == ' ';
    }
    if (plain) return digits;
    // Anything else (a sign, a point, an exponent, a tab, code 0, a Thai
    // letter) goes by the rule itself.
    QChar text[kFieldLength];
    for (int k = 0; k < kFieldLength; ++k) text[k] = decodeTis620(at[k]);
    return toLongHalfEven(leadingNumber(trimBlanks(QStringView(text, kFieldLength))));
}

}  // namespace

RecordKey recordKey(const unsigned char* bytes) {
    return {keyField(bytes), keyField(bytes + kFieldLength)};
}

Long firstRecordOf(const unsigned char* bytes, Long count, Long month, Long year) {
    for (Long i = 0; i < count; ++i, bytes += kRecordLength)
        if (keyField(bytes + kFieldLength) == month && keyField(bytes) == year) return i;
    return count;
}

RecordKey recordKey(const RecordBytes& bytes) { return recordKey(bytes.data()); }

IndexValues convertRecord(const IndexRecord& rec) {
    IndexValues v;
    v.year = toLongHalfEven(fieldValue(rec.fields[0]));
    v.month = toLongHalfEven(fieldValue(rec.fields[1]));
    for (int i = 0; i < kIndexColumns; ++i)
        v.col[i] = static_cast<Single>(fieldValue(rec.fields[2 + i]));
    return v;
}

Long recordCount(qint64 bytes, Long recLen) {
    const double n = std::nearbyint(static_cast<double>(bytes) / static_cast<double>(recLen));
    if (n < 1) return 1;
    if (n > std::numeric_limits<Long>::max()) return std::numeric_limits<Long>::max();
    return static_cast<Long>(n);
}
