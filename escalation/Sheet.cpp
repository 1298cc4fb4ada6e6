#include "escalation/Sheet.h"

#include <QFileInfo>
#include <cmath>
#include <functional>

#include "base/MonthNames.h"
#include "escalation/Arithmetic.h"
#include "escalation/SheetFacts.h"

using print::Col;
using print::Item;
using print::Statement;

namespace {

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

Statement valuesLine(const FormulaDef& def, const IndexValues& v, const char* suffix) {
    Statement st{Col{25}};
    for (size_t i = 0; i < def.terms.size(); ++i) {
        const FormulaTerm& t = def.terms[i];
        st.push_back((i ? s(" , ") : QString()) + t.symbol + s(suffix) + s(" = "));
        st.push_back(v[t.column]);
    }
    return st;
}

// Terms first..last-1 written as "c(" items ")" joined by ") + c(", after
// `lead`, the whole closed by ")".
Statement pairsLine(int column, const QString& lead, const FormulaDef& def, size_t first,
                    size_t last, const std::function<std::vector<Item>(size_t)>& items) {
    Statement st{Col{column}};
    for (size_t i = first; i < last; ++i) {
        st.push_back((i == first ? lead : s(") + ")) + def.terms[i].coefText + s("("));
        for (Item& item : items(i)) st.push_back(std::move(item));
    }
    st.push_back(s(")"));
    return st;
}

Statement amountLine(const Statement& label, Double amount) {
    Statement st{Col{15}};
    st.insert(st.end(), label.begin(), label.end());
    st.insert(st.end(), {Col{70}, s("="), Col{75}, amount, Col{90}, s(" บาท")});
    return st;
}

// Whether `v` is the record of the month entered: a search that found
// nothing leaves another month's values behind, and year 0 is no record.
bool ownMonth(const IndexValues& v, Long month, Long year) {
    return v.year == year && v.month == month && year != 0;
}

QString monthProblem(const IndexValues& v, Long day, Long month, Long year, const QString& which) {
    if (ownMonth(v, month, year)) return QString();
    if (day == 0 && month == 0 && year == 0) return QStringLiteral("ยังไม่ได้ป้อนข้อมูล%1").arg(which);
    return QStringLiteral("ไม่พบข้อมูลดัชนีราคาของ%1 (%2) ในแฟ้มดัชนีราคา")
        .arg(which, monthAndYear(month, year));
}

}  // namespace

QString missingIndexMonth(const CalcState& st) {
    if (ownMonth(st.OData, st.lngOMonth, st.lngOYear) && ownMonth(st.TData, st.lngTMonth, st.lngTYear))
        return QString();
    QString why =
        monthProblem(st.OData, st.lngODay, st.lngOMonth, st.lngOYear, QStringLiteral("วันเปิดซอง"));
    if (why.isEmpty())
        why = monthProblem(st.TData, st.lngTDay, st.lngTMonth, st.lngTYear,
                           QStringLiteral("วันส่งงวดงาน"));
    return why;
}

QString formulaProblem(int n) {
    if (formulaDefinition(n)) return QString();
    return QStringLiteral("ไม่มีสูตรหมายเลข %1 (สูตรมีหมายเลข 1 ถึง %2)").arg(n).arg(kFormulaCount);
}

SheetOutcome runSheet(CalcState& st, Printer& printer, TableFile* table) {
    using Status = SheetOutcome::Status;
    const FormulaDef* def = formulaDefinition(st.intFormulaNo);
    if (!def) return {Status::NoFormula, formulaProblem(st.intFormulaNo), {}};
    // Never another month's indices under the date that was typed.
    if (QString missing = missingIndexMonth(st); !missing.isEmpty())
        return {Status::MonthMissing, std::move(missing), {}};
    try {
        const SheetResult result = printSheet(*def, st, printer);
        if (printer.keepsFacts()) {
            const QString name = table ? QFileInfo(table->path()).fileName() : QString();
            printer.sheetFacts(
                sheetFactsText(sheetFacts(st, result, name, table ? table->sha256() : QString())));
        }
        return {Status::Printed, QString(), result};
    } catch (const CalcError& e) {
        printer.discardDoc();
        return {Status::CalcFailed, e.message(), {}};
    }
}

SheetResult printSheet(const FormulaDef& def, CalcState& st, Printer& p) {
    // A statement is built only for a printer that keeps it: a sheet
    // computed for its figures alone (a register's sums) skips the texts,
    // never a step of the arithmetic.
    const bool printing = !p.discards();
    const auto out = [&](auto&& statement) {
        if (printing) p.print(statement());
    };
    const size_t n = def.terms.size();
    const QString lead = printing ? s("K = ") + def.a0Text + s(" + ") : QString();
    auto quotient = [&](size_t i) -> std::vector<Item> {
        const IndexColumn c = def.terms[i].column;
        return {st.TData[c], s("/"), st.OData[c]};
    };

    for (int i = 0; i < 4; ++i) out([] { return Statement{}; });
    out([&] { return Statement{Col{15}, def.title}; });
    out([&] { return Statement{Col{25}, def.formula}; });
    out([&] {
        return Statement{Col{15}, s("เปิดซองประกวดราคาเมื่อวันที่ "), st.lngODay, s(" เดือน"),
                         st.strOMonth, s(" พ.ศ. "), st.lngOYear};
    });
    out([&] { return valuesLine(def, st.OData, "o"); });
    out([&] {
        return Statement{Col{15}, s("งวดที่ "), trimBlanks(st.strInstallment).toString(),
                         s(" ส่งงานวันที่ "), st.lngTDay, s(" เดือน"), st.strTMonth, s(" พ.ศ. "),
                         st.lngTYear};
    });
    out([&] { return valuesLine(def, st.TData, "t"); });
    out([&] { return pairsLine(25, lead, def, 0, std::min<size_t>(2, n), quotient); });
    if (n > 2) out([&] { return pairsLine(28, s("+ "), def, 2, n, quotient); });

    for (size_t i = 0; i < n; ++i) {
        const FormulaTerm& t = def.terms[i];
        // The month is named only in the message of a value that fails.
        if (!std::isfinite(st.OData[t.column]))
            checkIndexValue(st.OData[t.column], t.symbol + s("o"),
                            monthAndYear(st.lngOMonth, st.lngOYear));
        if (!std::isfinite(st.TData[t.column]))
            checkIndexValue(st.TData[t.column], t.symbol + s("t"),
                            monthAndYear(st.lngTMonth, st.lngTYear));
        st.intRatio[i] = indexRatio(st.TData[t.column], st.OData[t.column], t.symbol);
    }
    out([&] {
        return pairsLine(25, lead, def, 0, n, [&](size_t i) -> std::vector<Item> {
            return {displayedRatio(st.intRatio[i])};
        });
    });

    for (size_t i = 0; i < n; ++i) st.sngTerm[i] = weightedTerm(st.intRatio[i], def.terms[i].c);
    out([&] {
        Statement terms{Col{25}, lead};
        for (size_t i = 0; i < n; ++i) {
            if (i) terms.push_back(s(" + "));
            terms.push_back(st.sngTerm[i]);
        }
        return terms;
    });

    // a0 goes in right after the first term; the order changes the last bit.
    double sum = static_cast<double>(st.sngTerm[0]) + def.a0;
    for (size_t i = 1; i < n; ++i) sum = sum + static_cast<double>(st.sngTerm[i]);
    st.sngK = static_cast<Single>(sum);
    out([&] { return Statement{Col{25}, s("K = "), st.sngK}; });

    SheetResult result;
    result.k = st.sngK;
    const Band band = result.band = bandOf(st.sngK);
    if (band == Band::Inside) {
        out([&] { return Statement{Col{25}, s("ค่า K เปลี่ยนแปลงไม่เกิน 4 % เพราะฉะนั้นไม่ได้เงินชดเชย")}; });
        return result;
    }
    st.intExcess = excessOf(st.sngK, band);
    const Single shown = result.excess = displayedExcess(st.intExcess);
    if (band == Band::Below) {
        out([&] {
            return Statement{Col{25}, s("ค่า K ต่ำกว่า 0.96 = "), shown, s(" ต้องคืนเงินให้แก่ราชการ")};
        });
    } else {
        out([&] {
            return Statement{Col{25}, s("ค่า K สูงกว่า 1.04 = "), shown, s(" จะได้รับค่าชดเชย")};
        });
    }

    out([&] { return amountLine({s("เงินงวดนี้")}, st.dblAmount); });
    for (int i = 0; i < kEquipItems; ++i) {
        if (st.dblEquipPrice[i] == 0) continue;
        out([&] {
            return amountLine({i == 0 ? s("หัก ") : s("      "), st.strEquipName[i]},
                              st.dblEquipPrice[i]);
        });
    }
    if (st.dblNetAmount < st.dblAmount) {
        const Double deduction = deductionOf(st.dblAmount, st.dblNetAmount);
        out([&] { return amountLine({s("รวมหักในงวดนี้")}, deduction); });
        out([&] { return amountLine({s("คงเหลือเงินในงวดนี้")}, st.dblNetAmount); });
    } else {
        out([&] { return amountLine({s("เงินที่ใช้คำนวณค่าชดเชย")}, st.dblNetAmount); });
    }

    if (band == Band::Below) {
        const Double refund = result.refund = refundOf(st.intExcess, st.dblNetAmount);
        out([&] {
            return amountLine({s("ต้องคืนเงินให้ราชการ = "), shown, s(" x "), st.dblNetAmount}, refund);
        });
    } else {
        st.lngCompensation = compensationSatang(st.intExcess, st.dblNetAmount);
        const Double baht = result.compensation = static_cast<Double>(st.lngCompensation) / 100.0;
        out([&] {
            return amountLine({s("จะได้รับเงินชดเชย = "), shown, s(" x "), st.dblNetAmount}, baht);
        });
    }
    return result;
}
