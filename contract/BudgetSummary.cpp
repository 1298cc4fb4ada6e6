#include "contract/BudgetSummary.h"

#include <QRegularExpression>
#include <cmath>

#include "base/CsvText.h"
#include "base/MonthNames.h"
#include "base/TextColumns.h"
#include "base/ThaiCodePage.h"
#include "escalation/ResultText.h"

namespace {

QString number(Single v) { return sheetNumber(v); }
QString number(Double v) { return sheetNumber(v); }

Long monthKey(Long month, Long year) { return year * 12 + month - 1; }
QString keyText(Long key) { return monthSlashYear(key % 12 + 1, key / 12); }

QString printedWord(const RegisterRow& r) {
    switch (r.printed) {
        case RegisterRow::Printed::Same:
            return QStringLiteral("พิมพ์แล้ว");
        case RegisterRow::Printed::Differs:
            return QStringLiteral("พิมพ์แล้ว (ดัชนีหรือข้อมูลเปลี่ยน)");
        default:
            return QStringLiteral("ยังไม่พิมพ์");
    }
}

QString designation(const InstallmentInfo& i) { return i.value.designation.trimmed(); }

}  // namespace

std::optional<MonthRange> parseMonthRange(const QString& text, QString* error) {
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,2})\\s*/\\s*(\\d{1,4})\\s*$"));
    const QStringList parts = withArabicDigits(text).split(QLatin1Char('-'));
    const auto bad = [&](const QString& why) -> std::optional<MonthRange> {
        if (error)
            *error = QStringLiteral("\"%1\" ไม่ใช่เดือน/ปี พ.ศ. หรือช่วงเดือน เช่น 9/2569 หรือ 7/2569-9/2569%2")
                         .arg(text, why.isEmpty() ? QString() : QStringLiteral(": ") + why);
        return std::nullopt;
    };
    if (parts.size() < 1 || parts.size() > 2) return bad(QString());
    Long keys[2] = {0, 0};
    for (qsizetype n = 0; n < parts.size(); ++n) {
        const QRegularExpressionMatch m = form.match(parts[n]);
        if (!m.hasMatch()) return bad(QString());
        const Long month = m.captured(1).toInt(), year = m.captured(2).toInt();
        if (month < 1 || month > 12) return bad(QStringLiteral("เดือนต้องเป็น 1 ถึง 12"));
        if (year < 2400) return bad(buddhistEraHint(year));
        keys[n] = monthKey(month, year);
    }
    const MonthRange range{keys[0], parts.size() == 2 ? keys[1] : keys[0]};
    if (range.to < range.from) return bad(QStringLiteral("เดือนแรกอยู่หลังเดือนสุดท้าย"));
    return range;
}

QString monthRangeText(const MonthRange& range) {
    if (range.from == range.to) return keyText(range.from);
    return QStringLiteral("%1 ถึง %2").arg(keyText(range.from), keyText(range.to));
}

BudgetSummary budgetSummary(Register& reg, const MonthRange& range) {
    reg.followTable();
    BudgetSummary s;
    s.range = range;
    s.office = reg.store().office();
    reg.store().forEachDelivered(range.from, range.to,
                                 [&](const ContractInfo& c, const InstallmentInfo& i) {
                                     BudgetLine line{c, reg.row(i)};
                                     const RegisterRow& r = line.row;
                                     if (r.counts()) {
                                         if (r.result().band == Band::Above)
                                             s.compensationSatang += std::llround(r.result().compensation * 100);
                                         else if (r.result().band == Band::Below)
                                             s.refunds += r.result().refund;
                                         ++(r.printed == RegisterRow::Printed::No ? s.notPrinted : s.printed);
                                         s.lines.push_back(std::move(line));
                                     } else if (r.now.status == InstallmentOutcome::Status::Waiting) {
                                         s.waitingAmount += i.value.amount;
                                         s.waiting.push_back(std::move(line));
                                     } else {
                                         s.refused.push_back(std::move(line));
                                     }
                                 });
    return s;
}

namespace {

// The compensation and the refund of a counted line, as its sheet prints them.
std::pair<QString, QString> money(const RegisterRow& r) {
    const SheetResult& res = r.result();
    if (res.band == Band::Above) return {number(res.compensation), QString()};
    if (res.band == Band::Below) return {QString(), number(res.refund)};
    return {QStringLiteral("0"), QString()};
}

QString heading(const BudgetSummary& s) {
    QString h = QStringLiteral("สรุปเงินชดเชยและเงินที่ต้องคืนตามค่า K ของงวดงานที่ส่งในเดือน %1")
                    .arg(monthRangeText(s.range));
    if (!s.office.trimmed().isEmpty()) h = s.office.trimmed() + QLatin1Char('\n') + h;
    return h;
}

QString totals(const BudgetSummary& s) {
    return QStringLiteral("รวมเงินชดเชย %1 บาท\nรวมเงินที่ต้องคืนให้ราชการ %2 บาท\n"
                          "คำนวณได้ %3 งวด (พิมพ์แล้ว %4 งวด ยังไม่พิมพ์ %5 งวด) "
                          "รอดัชนี %6 งวด ค่างวดรวม %7 บาท คำนวณไม่ได้ %8 งวด\n")
        .arg(number(s.compensation()), number(s.refunds))
        .arg(s.lines.size())
        .arg(s.printed)
        .arg(s.notPrinted)
        .arg(s.waiting.size())
        .arg(number(s.waitingAmount))
        .arg(s.refused.size());
}

}  // namespace

QString budgetText(const BudgetSummary& s) {
    QString out = heading(s) + QStringLiteral("\n\n");
    const QStringList head = {QStringLiteral("สัญญา"), QStringLiteral("งวด"), QStringLiteral("สูตร"),
                              QStringLiteral("ส่งงาน"), QStringLiteral("K"), QStringLiteral("ช่วง 0.96-1.04"),
                              QStringLiteral("ชดเชย บาท"), QStringLiteral("คืน บาท"),
                              QStringLiteral("การพิมพ์")};
    TextColumns columns(head, [](int c) { return c == 2 || (c >= 4 && c != 5 && c != 8); },
                        QStringLiteral("  "));
    std::vector<QStringList> rows;
    for (const BudgetLine& l : s.lines) {
        const auto [comp, refund] = money(l.row);
        const InstallmentInfo& i = l.row.info;
        columns.measure(rows.emplace_back(QStringList{
            l.contract.number, designation(i), QString::number(i.value.formula),
            monthSlashYear(i.value.month, i.value.year), number(l.row.result().k),
            bandWord(l.row.result().band), comp, refund, printedWord(l.row)}));
    }
    out += columns.line(head) + QLatin1Char('\n');
    for (const QStringList& r : rows) out += columns.line(r) + QLatin1Char('\n');
    out += QLatin1Char('\n') + totals(s);
    const auto apart = [&](const std::vector<BudgetLine>& lines, const QString& title,
                           const auto& reason) {
        if (lines.empty()) return;
        out += QLatin1Char('\n') + title + QLatin1Char('\n');
        for (const BudgetLine& l : lines)
            out += QStringLiteral("  %1  %2  ค่างวด %3 บาท  %4\n")
                       .arg(l.contract.number, designation(l.row.info), number(l.row.info.value.amount),
                            reason(l.row));
    };
    apart(s.waiting, QStringLiteral("งวดที่รอดัชนีราคา:"),
          [](const RegisterRow& r) { return waitingFor(r.now.waitMonth, r.now.waitYear); });
    apart(s.refused, QStringLiteral("งวดที่คำนวณไม่ได้:"), [](const RegisterRow& r) { return r.now.why; });
    return out;
}

QString budgetCsv(const BudgetSummary& s) {
    QString out = QStringLiteral(
        "contract,installment,formula,year,month,k,band,compensation,refund,printed,status\n");
    const auto add = [&](const BudgetLine& l, const QString& status) {
        const InstallmentInfo& i = l.row.info;
        const bool counts = l.row.counts();
        const auto [comp, refund] = counts ? money(l.row) : std::pair<QString, QString>();
        const Band b = l.row.result().band;
        QStringList c = {l.contract.number,
                         designation(i),
                         QString::number(i.value.formula),
                         QString::number(i.value.year),
                         QString::number(i.value.month),
                         counts ? number(l.row.result().k) : QString(),
                         !counts ? QString()
                         : b == Band::Below ? QStringLiteral("below")
                         : b == Band::Above ? QStringLiteral("above")
                                            : QStringLiteral("inside"),
                         comp,
                         refund,
                         l.row.printed == RegisterRow::Printed::No ? QStringLiteral("no") : QStringLiteral("yes"),
                         status};
        for (QString& cell : c) cell = csvCell(cell);
        out += c.join(QLatin1Char(',')) + QLatin1Char('\n');
    };
    for (const BudgetLine& l : s.lines)
        add(l, l.row.printed == RegisterRow::Printed::Differs ? QStringLiteral("printed figures differ now")
                                                               : QString());
    for (const BudgetLine& l : s.waiting) add(l, waitingFor(l.row.now.waitMonth, l.row.now.waitYear));
    for (const BudgetLine& l : s.refused) add(l, l.row.now.why);
    return out;
}

void printBudget(const BudgetSummary& s, Printer& p) {
    using print::Col;
    using print::Statement;
    p.setFontName(QStringLiteral("Browallia New"));
    p.setFontSize(14);
    p.pageBreak();
    for (int i = 0; i < 2; ++i) p.print({});
    for (const QString& line : heading(s).split(QLatin1Char('\n'))) p.print({Col{5}, line});
    p.print({});
    p.print({Col{5}, QStringLiteral("สัญญา"), Col{25}, QStringLiteral("งวด"), Col{55}, QStringLiteral("สูตร"),
             Col{61}, QStringLiteral("ส่งงาน"), Col{71}, QStringLiteral("K"), Col{80},
             QStringLiteral("ชดเชย (บาท)"), Col{97}, QStringLiteral("คืน (บาท)"), Col{114},
             QStringLiteral("การพิมพ์")});
    for (const BudgetLine& l : s.lines) {
        const auto [comp, refund] = money(l.row);
        const InstallmentInfo& i = l.row.info;
        p.print({Col{5}, l.contract.number, Col{25}, designation(i), Col{55},
                 QString::number(i.value.formula), Col{61}, monthSlashYear(i.value.month, i.value.year),
                 Col{71}, number(l.row.result().k), Col{80}, comp, Col{97}, refund, Col{114},
                 printedWord(l.row)});
    }
    p.print({});
    for (const QString& line : totals(s).trimmed().split(QLatin1Char('\n'))) p.print({Col{5}, line});
    const auto apart = [&](const std::vector<BudgetLine>& lines, const QString& title,
                           const auto& reason) {
        if (lines.empty()) return;
        p.print({});
        p.print({Col{5}, title});
        for (const BudgetLine& l : lines)
            p.print({Col{5}, l.contract.number, Col{25}, designation(l.row.info), Col{55},
                     QStringLiteral("ค่างวด %1 บาท").arg(number(l.row.info.value.amount)), Col{80},
                     reason(l.row)});
    };
    apart(s.waiting, QStringLiteral("งวดที่รอดัชนีราคา:"),
          [](const RegisterRow& r) { return waitingFor(r.now.waitMonth, r.now.waitYear); });
    apart(s.refused, QStringLiteral("งวดที่คำนวณไม่ได้:"), [](const RegisterRow& r) { return r.now.why; });
}
