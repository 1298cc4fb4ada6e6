#include "base/MonthNames.h"

#include <array>

namespace {
const std::array<QString, 12> kMonths = {
    QStringLiteral("มกราคม"),  QStringLiteral("กุมภาพันธ์"),  QStringLiteral("มีนาคม"),
    QStringLiteral("เมษายน"),  QStringLiteral("พฤษภาคม"),  QStringLiteral("มิถุนายน"),
    QStringLiteral("กรกฎาคม"), QStringLiteral("สิงหาคม"),   QStringLiteral("กันยายน"),
    QStringLiteral("ตุลาคม"),   QStringLiteral("พฤศจิกายน"), QStringLiteral("ธันวาคม"),
};
}  // namespace

QString thaiMonthName(Long month) {
    if (month < 1 || month > 12) return QString();
    return kMonths[static_cast<size_t>(month - 1)];
}

QString monthPrompt(const QString& lead) {
    QString s = lead;
    for (int m = 1; m <= 12; ++m) s += QStringLiteral(" %1.%2").arg(m).arg(kMonths[m - 1]);
    return s;
}

QString monthAndYear(Long month, Long year) {
    const QString name = thaiMonthName(month);
    return (name.isEmpty() ? QStringLiteral("เดือนที่ %1").arg(month)
                           : QStringLiteral("เดือน") + name) +
           QStringLiteral(" พ.ศ. %1").arg(year);
}

QString monthSlashYear(Long month, Long year) { return QStringLiteral("%1/%2").arg(month).arg(year); }
