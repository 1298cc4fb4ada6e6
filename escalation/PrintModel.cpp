#include "escalation/PrintModel.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace print {
namespace {

// Rounds to `digits` significant digits (correctly rounded from the binary
// value), drops trailing zeros, and switches to exponent form when the
// decimal exponent reaches the digit count or falls below -4.
QString formatSignificant(double v, int digits) {
    if (std::isnan(v)) return QStringLiteral(" NaN ");
    if (std::isinf(v)) return v < 0 ? QStringLiteral("-INF ") : QStringLiteral(" INF ");
    if (v == 0) return QStringLiteral(" 0 ");  // a negative zero prints as zero
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", digits - 1, std::fabs(v));
    std::string s(buf);
    const auto epos = s.find('e');
    const int exp = std::stoi(s.substr(epos + 1));
    std::string ds = s.substr(0, 1) + s.substr(2, epos - 2);
    while (ds.size() > 1 && ds.back() == '0') ds.pop_back();

    std::string out;
    if (exp >= digits || exp < -4) {
        out = ds.substr(0, 1);
        if (ds.size() > 1) out += "." + ds.substr(1);
        char e[16];
        std::snprintf(e, sizeof e, "E%c%02d", exp < 0 ? '-' : '+', std::abs(exp));
        out += e;
    } else if (exp >= 0) {
        const size_t intLen = static_cast<size_t>(exp) + 1;
        if (ds.size() <= intLen) {
            out = ds + std::string(intLen - ds.size(), '0');
        } else {
            out = ds.substr(0, intLen) + "." + ds.substr(intLen);
        }
    } else {
        out = "0." + std::string(static_cast<size_t>(-exp - 1), '0') + ds;
    }
    return QString::fromLatin1(v < 0 ? "-" : " ") + QString::fromStdString(out) + QLatin1Char(' ');
}

bool isNonSpacingThai(QChar c) {
    const char16_t u = c.unicode();
    return u == 0x0E31 || (u >= 0x0E34 && u <= 0x0E3A) || (u >= 0x0E47 && u <= 0x0E4E);
}

}  // namespace

QString formatNumber(Long v) {
    return (v < 0 ? QString() : QStringLiteral(" ")) + QString::number(v) + QLatin1Char(' ');
}

QString formatNumber(Single v) { return formatSignificant(v, 7); }

QString formatNumber(Double v) { return formatSignificant(v, 15); }

QString itemText(const Item& item) {
    return std::visit(
        [](const auto& x) -> QString {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, Col>) {
                return QString();
            } else if constexpr (std::is_same_v<T, QString>) {
                return x;
            } else {
                return formatNumber(x);
            }
        },
        item);
}

QString plainText(const Statement& s) {
    QString out;
    for (const Item& item : s) out += itemText(item);
    return out;
}

int cellWidth(const QString& text) {
    int w = 0;
    for (QChar c : text) w += isNonSpacingThai(c) ? 0 : 1;
    return w;
}

void TextPage::print(const Statement& s) {
    QString line;
    int pos = 1;
    for (const Item& item : s) {
        if (const Col* col = std::get_if<Col>(&item)) {
            if (pos > col->n) {
                lines_.append(line);
                line.clear();
                pos = 1;
            }
            line += QString(col->n - pos, QLatin1Char(' '));
            pos = col->n;
        } else {
            const QString t = itemText(item);
            line += t;
            pos += cellWidth(t);
        }
    }
    lines_.append(line);
}

}  // namespace print
