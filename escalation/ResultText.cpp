#include "escalation/ResultText.h"

#include <QRegularExpression>

#include "escalation/PrintModel.h"

QString sheetNumber(Single v) { return print::formatNumber(v).trimmed(); }
QString sheetNumber(Double v) { return print::formatNumber(v).trimmed(); }

QString groupedBaht(Double amount) {
    // The sheet's own digits, its thousands grouped and at least two
    // decimals: rounding here would show another amount than the sheet's.
    const QString sheet = print::formatNumber(amount).trimmed();
    static const QRegularExpression plain(QStringLiteral("^(-?)(\\d+)(?:\\.(\\d+))?$"));
    const QRegularExpressionMatch m = plain.match(sheet);
    if (!m.hasMatch()) return sheet;  // an exponent form stays as the sheet writes it
    QString whole = m.captured(2);
    for (qsizetype at = whole.size() - 3; at > 0; at -= 3) whole.insert(at, QLatin1Char(','));
    return m.captured(1) + whole + QLatin1Char('.') + m.captured(3).leftJustified(2, QLatin1Char('0'));
}

QString bandWord(Band band) {
    switch (band) {
        case Band::Above:
            return QStringLiteral("สูงกว่า");
        case Band::Below:
            return QStringLiteral("ต่ำกว่า");
        default:
            return QStringLiteral("ภายใน");
    }
}

QString resultLine(const SheetResult& r) {
    const QString k = sheetNumber(r.k);
    switch (r.band) {
        case Band::Above:
            return QStringLiteral("%1 สูงกว่าช่วง 0.96 ถึง 1.04 (ส่วนเกิน %2): ได้รับเงินชดเชย %3 บาท")
                .arg(k, sheetNumber(r.excess), groupedBaht(r.compensation));
        case Band::Below:
            return QStringLiteral("%1 ต่ำกว่าช่วง 0.96 ถึง 1.04 (ส่วนที่ขาด %2): ต้องคืนเงินให้ราชการ %3 บาท")
                .arg(k, sheetNumber(r.excess), groupedBaht(r.refund));
        default:
            return QStringLiteral("%1 อยู่ในช่วง 0.96 ถึง 1.04: ไม่มีเงินชดเชยและไม่ต้องคืนเงิน").arg(k);
    }
}
