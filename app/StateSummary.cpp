#include "app/StateSummary.h"

#include "base/MonthNames.h"
#include "escalation/Arithmetic.h"
#include "escalation/Formulas.h"
#include "escalation/ResultText.h"
#include "escalation/Sheet.h"

namespace {

QString number(Single v) { return sheetNumber(v); }

QString tableLine(TableFile& table, Long records) {
    if (!table.isOpen()) return QStringLiteral("ยังไม่ได้เปิด");
    if (TableFile::length(table.path()) == 0)
        return QStringLiteral("%1\nว่าง ยังไม่มีข้อมูลดัชนีราคาของเดือนใดเลย").arg(table.path());
    const auto month = [&](Long n) {
        const RecordKey key = recordKey(table.readRecord(n));
        return monthSlashYear(key.month, key.year);
    };
    return QStringLiteral("%1\n%2 เดือน (ระเบียนแรก %3 ระเบียนสุดท้าย %4)")
        .arg(table.path())
        .arg(records)
        .arg(month(1), month(records));
}

// Whether `v` holds the values of the month entered: a search that found
// nothing leaves the record it read last, another month's, behind.
bool holdsMonth(const IndexValues& v, Long month, Long year) {
    return v.year == year && v.month == month && year != 0;
}

QString dateLine(Long day, Long month, const QString& monthName, Long year,
                 const IndexValues& v) {
    if (day == 0 && month == 0 && year == 0) return QStringLiteral("ยังไม่ได้ป้อน");
    const QString name = month >= 1 && month <= 12 ? monthName : QStringLiteral("เดือนที่ %1").arg(month);
    return QStringLiteral("%1 %2 พ.ศ. %3 (%4/%3): %5")
        .arg(day)
        .arg(name)
        .arg(year)
        .arg(month)
        .arg(holdsMonth(v, month, year) ? QStringLiteral("พบในแฟ้มดัชนีราคา")
                                        : QStringLiteral("ไม่พบในแฟ้มดัชนีราคา"));
}

// The values the sheet would print for `def`: "Ao = 171.1, Eo = 190.2";
// none under a month the table does not hold.
QString indexLine(const FormulaDef* def, Long month, Long year, const IndexValues& v,
                  const char* suffix) {
    if (!def || (month == 0 && year == 0)) return QStringLiteral("-");
    if (!holdsMonth(v, month, year))
        return QStringLiteral("ไม่มีค่าดัชนีของเดือน %1 ในแฟ้มดัชนีราคา").arg(monthSlashYear(month, year));
    QStringList parts;
    for (const FormulaTerm& t : def->terms)
        parts << t.symbol + QString::fromLatin1(suffix) + QStringLiteral(" = ") + number(v[t.column]);
    return parts.join(QStringLiteral(", "));
}

QString kLine(const CalcState& state) {
    CalcState copy = state;
    CollectingPrinter nowhere;
    const SheetOutcome sheet = runSheet(copy, nowhere);
    if (!sheet.printed()) return QStringLiteral("พิมพ์ไม่ได้: ") + sheet.why;
    return resultLine(sheet.result);
}

}  // namespace

std::vector<SummaryLine> stateSummary(const CalcState& st, TableFile& table) {
    const FormulaDef* def = formulaDefinition(st.intFormulaNo);
    const QString designation = trimBlanks(st.strInstallment).toString().remove(QChar(0));
    QStringList items;
    for (int i = 0; i < kEquipItems && st.dblEquipPrice[i] != 0; ++i) {
        items << QStringLiteral("%1. %2: %3 บาท")
                     .arg(i + 1)
                     .arg(trimBlanks(st.strEquipName[i]).toString().remove(QChar(0)),
                          groupedBaht(st.dblEquipPrice[i]));
    }
    const bool installment = st.lngTYear != 0 || st.dblAmount != 0 || !designation.isEmpty();
    return {
        {QStringLiteral("แฟ้มดัชนีราคา"), tableLine(table, st.lngRecCount)},
        {QStringLiteral("สูตร"), def ? def->title
                                     : QStringLiteral("หมายเลข %1: ไม่มีสูตรนี้ (สูตรมีหมายเลข 1 ถึง 13)")
                                           .arg(st.intFormulaNo)},
        {QStringLiteral("วันเปิดซอง"),
         dateLine(st.lngODay, st.lngOMonth, st.strOMonth, st.lngOYear, st.OData)},
        {QStringLiteral("ดัชนีเดือนเปิดซอง"), indexLine(def, st.lngOMonth, st.lngOYear, st.OData, "o")},
        {QStringLiteral("วันส่งงาน"),
         dateLine(st.lngTDay, st.lngTMonth, st.strTMonth, st.lngTYear, st.TData)},
        {QStringLiteral("ดัชนีเดือนส่งงาน"), indexLine(def, st.lngTMonth, st.lngTYear, st.TData, "t")},
        {QStringLiteral("งวด"), installment ? designation : QStringLiteral("ยังไม่ได้ป้อน")},
        {QStringLiteral("ค่างวด"),
         installment ? groupedBaht(st.dblAmount) + QStringLiteral(" บาท") : QStringLiteral("-")},
        {QStringLiteral("ครุภัณฑ์ที่หัก"), items.isEmpty() ? QStringLiteral("ไม่มี") : items.join('\n')},
        {QStringLiteral("คงเหลือเงินในงวดนี้"),
         installment ? groupedBaht(st.dblNetAmount) + QStringLiteral(" บาท") : QStringLiteral("-")},
        {QStringLiteral("ค่า K"), kLine(st)},
    };
}
