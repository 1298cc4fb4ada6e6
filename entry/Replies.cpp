#include "entry/Replies.h"

#include <cmath>
#include <functional>
#include <limits>

#include "escalation/CalcState.h"
#include "base/ThaiCodePage.h"

namespace {

const QString kEmpty = QStringLiteral("ยังไม่ได้ป้อนตัวเลข กรุณาป้อนตัวเลข");

QString notANumber(const QString& reply) {
    return QStringLiteral("\"%1\" ไม่ใช่ตัวเลข กรุณาป้อนเป็นตัวเลข").arg(reply);
}

bool askNumber(Platform& ui, const QString& prompt, double& out,
               const std::function<Conversion(const QString&)>& convert) {
    for (;;) {
        const std::optional<QString> reply = ui.inputBox(prompt);
        if (!reply) return false;
        const Conversion c = convert(*reply);
        if (c.ok) {
            out = c.value;
            return true;
        }
        ui.msgBox(c.error);
    }
}

}  // namespace

Conversion replyToDouble(const QString& reply, const QLocale& locale) {
    // Thai digits, as official documents write numbers, are the same digits.
    const QString t = withArabicDigits(reply.trimmed());
    if (t.isEmpty()) return {false, 0, kEmpty};
    bool ok = false;
    const double v = locale.toDouble(t, &ok);
    if (!ok) {
        // QLocale says "not ok" for an overflow too; tell the two apart.
        if (std::isinf(v)) return {false, 0, QStringLiteral("ตัวเลข \"%1\" ใหญ่เกินไป").arg(t)};
        return {false, 0, notANumber(t)};
    }
    if (!std::isfinite(v)) return {false, 0, notANumber(t)};
    return {true, v, {}};
}

Conversion replyToWhole(const QString& reply, double min, double max, const QLocale& locale) {
    Conversion c = replyToDouble(reply, locale);
    if (!c.ok) return c;
    const double r = std::nearbyint(c.value);  // the default rounding: halves to even
    if (r < min || r > max) {
        return {false, 0,
                QStringLiteral("ตัวเลข %1 อยู่นอกช่วงที่รับได้ กรุณาป้อนจำนวนเต็มตั้งแต่ %2 ถึง %3")
                    .arg(reply.trimmed())
                    .arg(static_cast<qlonglong>(min))
                    .arg(static_cast<qlonglong>(max))};
    }
    return {true, r, {}};
}

Conversion replyToLong(const QString& reply, const QLocale& locale) {
    return replyToWhole(reply, std::numeric_limits<Long>::min(), std::numeric_limits<Long>::max(),
                        locale);
}

Conversion replyToInteger(const QString& reply, const QLocale& locale) {
    return replyToWhole(reply, std::numeric_limits<Integer>::min(),
                        std::numeric_limits<Integer>::max(), locale);
}

bool askLong(Platform& ui, const QString& prompt, Long& out) {
    double v = 0;
    if (!askNumber(ui, prompt, v, [](const QString& r) { return replyToLong(r); })) return false;
    out = static_cast<Long>(v);
    return true;
}

bool askInteger(Platform& ui, const QString& prompt, Integer& out) {
    double v = 0;
    if (!askNumber(ui, prompt, v, [](const QString& r) { return replyToInteger(r); }))
        return false;
    out = static_cast<Integer>(v);
    return true;
}

bool askDouble(Platform& ui, const QString& prompt, Double& out) {
    return askNumber(ui, prompt, out, [](const QString& r) { return replyToDouble(r); });
}

bool askText50(Platform& ui, const QString& prompt, QString& out) {
    const std::optional<QString> reply = ui.inputBox(prompt);
    if (!reply) return false;
    out = fixedText(*reply, kTextLength);
    return true;
}
