#include "escalation/Arithmetic.h"

#include <cmath>
#include <limits>

namespace {

const QString kPrefix = QStringLiteral("คำนวณค่า K ไม่ได้: ");

[[noreturn]] void overflow(const QString& what) {
    throw CalcError(CalcError::Kind::Overflow, kPrefix + what);
}

double checked(double v, const QString& what) {
    if (!std::isfinite(v)) overflow(what);
    return v;
}

}  // namespace

void checkIndexValue(Single v, const QString& name, const QString& month) {
    if (std::isfinite(v)) return;
    throw CalcError(
        CalcError::Kind::BadIndex,
        kPrefix +
            QStringLiteral("ค่าดัชนี %1 ของ%2 ไม่ใช่ตัวเลขที่ใช้ได้ (%3) "
                           "กรุณาตรวจแฟ้มดัชนีราคา")
                .arg(name, month, std::isnan(v) ? QStringLiteral("NaN") : QStringLiteral("INF")));
}

Integer indexRatio(Single t, Single o, const QString& symbol) {
    // Named only when a step fails: a sheet computes thirteen thousand
    // ratios for a register, and fails on none of them.
    const auto quotient = [&] { return QStringLiteral("%1t/%1o").arg(symbol); };
    const double product = static_cast<double>(t) * 1000.0;
    if (!std::isfinite(product)) overflow(QStringLiteral("ค่าดัชนี %1t ใหญ่เกินไป").arg(symbol));
    if (o == 0) {
        if (product == 0) {
            overflow(
                QStringLiteral("ค่าดัชนี %1o และ %1t เป็นศูนย์ทั้งคู่ จึงหาร %2 ไม่ได้").arg(symbol, quotient()));
        }
        throw CalcError(CalcError::Kind::DivisionByZero,
                        kPrefix + QStringLiteral("ค่าดัชนี %1o ของเดือนเปิดซองเป็นศูนย์ "
                                                 "จึงหาร %2 ไม่ได้ (หารด้วยศูนย์)")
                                      .arg(symbol, quotient()));
    }
    const double q = product / static_cast<double>(o);
    if (!std::isfinite(q)) overflow(QStringLiteral("หาร %1 ได้ค่าเกินขอบเขต").arg(quotient()));
    const double f = std::floor(q);
    if (f < std::numeric_limits<Integer>::min() || f > std::numeric_limits<Integer>::max()) {
        overflow(QStringLiteral("อัตราส่วน %1 เกินขอบเขต (มากกว่า 32.767 เท่า)").arg(quotient()));
    }
    return static_cast<Integer>(f);
}

Single displayedRatio(Integer ratio) { return static_cast<Single>(ratio / 1000.0); }

Single weightedTerm(Integer ratio, Double c) {
    const double p = static_cast<double>(ratio) * c;  // rounded to a Double before the floor
    return static_cast<Single>(std::floor(p) / 1000.0);
}

Band bandOf(Single k) {
    constexpr Single lower = 0.96f, upper = 1.04f;
    if (k < lower) return Band::Below;
    if (k > upper) return Band::Above;
    return Band::Inside;
}

Integer excessOf(Single k, Band band) {
    const double thousandths = static_cast<double>(k) * 1000.0;  // exact
    const double d = checked(band == Band::Below ? 960.0 - thousandths : thousandths - 1040.0,
                             QStringLiteral("ค่า K เกินขอบเขต"));
    const double r = std::nearbyint(d);
    if (r < std::numeric_limits<Integer>::min() || r > std::numeric_limits<Integer>::max()) {
        overflow(QStringLiteral("ส่วนที่เกินของค่า K เกินขอบเขต"));
    }
    return static_cast<Integer>(r);
}

Single displayedExcess(Integer excess) { return static_cast<Single>(excess / 1000.0); }

Long compensationSatang(Integer excess, Double netAmount) {
    const QString what = QStringLiteral("เงินชดเชยเกินขอบเขตที่คำนวณได้ (เกิน 21,474,836.47 บาท)");
    const double satang =
        checked(checked(static_cast<double>(excess) * netAmount, what) / 10.0, what);
    const double f = std::floor(satang);
    if (f < std::numeric_limits<Long>::min() || f > std::numeric_limits<Long>::max())
        overflow(what);
    return static_cast<Long>(f);
}

Double deductionOf(Double amount, Double netAmount) {
    return checked(amount - netAmount, QStringLiteral("ยอดหักค่าครุภัณฑ์เกินขอบเขต"));
}

Double refundOf(Integer excess, Double netAmount) {
    const QString what = QStringLiteral("เงินที่ต้องคืนเกินขอบเขตที่คำนวณได้");
    return checked(checked(static_cast<double>(excess) * netAmount, what) / 1000.0, what);
}
