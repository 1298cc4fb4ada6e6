#include "contract/ContractSummary.h"

#include <cmath>

#include "base/CsvText.h"
#include "base/MonthNames.h"
#include "base/TextColumns.h"
#include "escalation/ResultText.h"

namespace {

QString number(Single v) { return sheetNumber(v); }
QString number(Double v) { return sheetNumber(v); }

QStringList summaryRow(const ContractRow& r) {
    QStringList l = {QString::number(r.row), r.installment, r.formula};
    if (!r.computed()) return l << QString() << QString() << QStringLiteral("ไม่ได้คำนวณ: ") + r.error;
    l << monthSlashYear(r.bidMonth, r.bidYear) << monthSlashYear(r.month, r.year)
      << number(r.result.k) << bandWord(r.result.band)
      << (r.result.band == Band::Inside ? QString() : number(r.result.excess))
      << number(r.netAmount);
    switch (r.result.band) {
        case Band::Above:
            return l << number(r.result.compensation);
        case Band::Below:
            return l << number(Double(-r.result.refund));
        default:
            return l << QStringLiteral("0");
    }
}

}  // namespace

ContractTotals contractTotals(const std::vector<ContractRow>& rows) {
    ContractTotals t;
    for (const ContractRow& r : rows) {
        if (!r.computed()) {
            ++t.refused;
            continue;
        }
        ++t.computed;
        if (r.result.band == Band::Above)
            t.compensationSatang += std::llround(r.result.compensation * 100);
        else if (r.result.band == Band::Below)
            t.refunds += r.result.refund;
    }
    return t;
}

QString contractSummary(const std::vector<ContractRow>& rows) {
    const QStringList heading = {
        QStringLiteral("แถว"),     QStringLiteral("งวด"),         QStringLiteral("สูตร"),
        QStringLiteral("เปิดซอง"),  QStringLiteral("ส่งงาน"),       QStringLiteral("K"),
        QStringLiteral("ช่วง 0.96-1.04"), QStringLiteral("ส่วนเกิน"), QStringLiteral("เงินที่ใช้คำนวณ"),
        QStringLiteral("ชดเชย(+)/คืน(-) บาท")};
    // Numbers to the right; a refused row's reason runs on past the columns.
    TextColumns columns(heading, [](int c) { return c == 0 || c == 2 || c >= 5; },
                        QStringLiteral("  "));
    std::vector<QStringList> lines;
    for (const ContractRow& r : rows) columns.measure(lines.emplace_back(summaryRow(r)));
    QString out = columns.line(heading) + QLatin1Char('\n');
    for (const QStringList& l : lines) out += columns.line(l) + QLatin1Char('\n');
    const ContractTotals t = contractTotals(rows);
    out += QStringLiteral("รวมเงินชดเชย %1 บาท\n").arg(number(t.compensation()));
    out += QStringLiteral("รวมเงินที่ต้องคืนให้ราชการ %1 บาท\n").arg(number(t.refunds));
    out += QStringLiteral("คำนวณได้ %1 แถว ไม่ได้คำนวณ %2 แถว\n").arg(t.computed).arg(t.refused);
    return out;
}

QString contractSummaryCsv(const std::vector<ContractRow>& rows) {
    QString out = QStringLiteral(
        "row,installment,formula,bid_year,bid_month,year,month,k,band,excess,net_amount,"
        "compensation,refund,error\n");
    for (const ContractRow& r : rows) {
        QStringList c = {QString::number(r.row), r.installment, r.formula};
        if (!r.computed()) {
            for (int i = 0; i < 10; ++i) c << QString();
            c << r.error;
        } else {
            const Band b = r.result.band;
            c << QString::number(r.bidYear) << QString::number(r.bidMonth)
              << QString::number(r.year) << QString::number(r.month) << number(r.result.k)
              << (b == Band::Below   ? QStringLiteral("below")
                  : b == Band::Above ? QStringLiteral("above")
                                     : QStringLiteral("inside"))
              << (b == Band::Inside ? QString() : number(r.result.excess)) << number(r.netAmount)
              << (b == Band::Above ? number(r.result.compensation) : QString())
              << (b == Band::Below ? number(r.result.refund) : QString()) << QString();
        }
        for (QString& cell : c) cell = csvCell(cell);
        out += c.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return out;
}
