#include "escalation/PrintModel.h"

#include <charconv>
#include <cmath>

namespace print {
namespace {

// Rounds to `digits` significant digits (correctly rounded from the binary
// value), drops trailing zeros, and switches to exponent form when the
// decimal exponent reaches the digit count or falls below -4: printf's
// "%.*G", in the C locale's form whatever the user's.
QString formatSignificant(double v, int digits) {
    if (std::isnan(v)) return QStringLiteral(" NaN ");
    if (std::isinf(v)) return v < 0 ? QStringLiteral("-INF ") : QStringLiteral(" INF ");
    if (v == 0) return QStringLiteral(" 0 ");  // a negative zero prints as zero
    char buf[64];
    const auto end =
        std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::general, digits).ptr;
    QString out = QString::fromLatin1(buf, end - buf).toUpper();
    return QLatin1Char(v < 0 ? '-' : ' ') + out + QLatin1Char(' ');
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
