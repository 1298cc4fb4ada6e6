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

Long daysInMonth(Long month, Long year) {
    static constexpr Long kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month != 2) return kDays[month - 1];
    // In 64 bits: a year near the Long range stays a year.
    const long long gregorian = static_cast<long long>(year) - 543;
    const bool leap = (gregorian % 4 == 0 && gregorian % 100 != 0) || gregorian % 400 == 0;
    return leap ? 29 : 28;
}

QString dayProblem(Long day, Long month, Long year) {
    const Long days = daysInMonth(month, year);
    if (days == 0 || (day >= 1 && day <= days)) return QString();
    const QString has = monthAndYear(month, year) + QStringLiteral(" มี %1 วัน").arg(days);
    if (day > days) return has;
    return has + QStringLiteral(" วันที่ต้องเป็น 1 ถึง %1").arg(days);
}

QString buddhistEraHint(Long year) {
    return QStringLiteral("ปีต้องเป็นปีพุทธศักราช (พ.ศ. = ค.ศ. + 543) เช่น ค.ศ. %1 คือ พ.ศ. %2")
        .arg(year)
        .arg(year + 543);
}

QString thaiDateTime(const QDateTime& at) {
    const QDate d = at.date();
    return QStringLiteral("%1 %2 %3 เวลา %4 น.")
        .arg(d.day())
        .arg(thaiMonthName(d.month()))
        .arg(d.year() + 543)
        .arg(at.time().toString(QStringLiteral("HH:mm")));
}
