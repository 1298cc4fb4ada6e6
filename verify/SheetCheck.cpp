#include "verify/SheetCheck.h"

#include <algorithm>
#include <tuple>

#include "base/MonthNames.h"
#include "entry/Entry.h"
#include "escalation/Formulas.h"
#include "escalation/PrintModel.h"

namespace {

// What the page shows of a text, blanks aside: the extractor lays out the
// blanks between runs itself, and a control character prints as nothing.
bool shown(QChar c) { return !c.isSpace() && c.unicode() >= 0x20; }

// `text` written on one line with single blanks, for a message.
QString oneLine(const QString& text) { return text.simplified(); }

// A statement as its line reads, the columns as blanks.
QString lineOf(const print::Statement& s) {
    print::TextPage page;
    page.print(s);
    return oneLine(page.text());
}

// Where the page's text first differs from the sheet's: empty when it
// does not; else what was computed and what the page prints there.
QString firstDifference(const std::vector<print::Statement>& doc, const QString& page) {
    QString want;
    std::vector<size_t> line;  // the statement each character of `want` is from
    for (size_t i = 0; i < doc.size(); ++i) {
        for (QChar c : print::plainText(doc[i])) {
            if (!shown(c)) continue;
            want += c;
            line.push_back(i);
        }
    }
    QString got;
    std::vector<qsizetype> at;  // where each character of `got` is in `page`
    for (qsizetype i = 0; i < page.size(); ++i) {
        if (!shown(page[i])) continue;
        got += page[i];
        at.push_back(i);
    }
    qsizetype i = 0;
    while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
    if (i == want.size() && i == got.size()) return QString();
    // The page's line around the difference.
    const auto pageLine = [&](qsizetype k) {
        const qsizetype begin = page.lastIndexOf(QLatin1Char('\n'), k) + 1;
        qsizetype end = page.indexOf(QLatin1Char('\n'), k);
        if (end < 0) end = page.size();
        return oneLine(page.mid(begin, end - begin));
    };
    if (i == want.size())
        return QStringLiteral("หน้านี้พิมพ์ข้อความที่ไม่ได้มาจากการคำนวณ: \"%1\"")
            .arg(pageLine(at[size_t(i)]));
    const QString computed = lineOf(doc[line[size_t(i)]]);
    if (i == got.size()) return QStringLiteral("หน้านี้ไม่ได้พิมพ์บรรทัดที่คำนวณได้ \"%1\"").arg(computed);
    return QStringLiteral("คำนวณใหม่ได้ \"%1\" แต่หน้านี้พิมพ์ไว้ \"%2\"")
        .arg(computed, pageLine(at[size_t(i)]));
}

// The recorded figures that the sheet computed anew does not give.
QStringList figuresDiffer(const SheetFacts& f, const SheetResult& r) {
    const SheetFacts anew = sheetFacts(CalcState(), r, QString(), QString());
    QStringList out;
    for (const auto& [name, was, is] :
         {std::tuple{QStringLiteral("ค่า K"), f.k, anew.k},
          std::tuple{QStringLiteral("ช่วงของค่า K"), f.band, anew.band},
          std::tuple{QStringLiteral("ส่วนที่เกิน"), f.excess, anew.excess},
          std::tuple{QStringLiteral("เงินชดเชย"), f.compensation, anew.compensation},
          std::tuple{QStringLiteral("เงินที่ต้องคืน"), f.refund, anew.refund}}) {
        if (was != is)
            out << QStringLiteral("%1 ที่บันทึกไว้ในแฟ้มคือ \"%2\" แต่คำนวณใหม่ได้ \"%3\"")
                       .arg(name, was, is);
    }
    return out;
}

// The table's own values of both months, by the window's month search,
// and the sheet with them when they changed.
void compareWithTable(SheetCheck& c, const CalcState& printed, TableFile& table, Long records) {
    CalcState now = printed;
    now.lngRecCount = records;
    const SheetFacts& f = c.facts;
    const bool bid = setBidOpening(now, table, f.bidDay, f.bidMonth, f.bidYear);
    const bool delivery = setDelivery(now, table, f.day, f.month, f.year);
    if (!bid) c.notInTable << monthSlashYear(f.bidMonth, f.bidYear);
    if (!delivery) c.notInTable << monthSlashYear(f.month, f.year);
    const FormulaDef& def = *formulaDefinition(f.formula);
    for (const auto& [found, month, year, was, is] :
         {std::tuple{bid, f.bidMonth, f.bidYear, &printed.OData, &now.OData},
          std::tuple{delivery, f.month, f.year, &printed.TData, &now.TData}}) {
        if (!found) continue;
        for (const FormulaTerm& t : def.terms) {
            // Every value apart, however close: the sheet's arithmetic tells
            // them apart (the two zeros it does not).
            const Single a = (*was)[t.column], b = (*is)[t.column];
            if (a != b) c.changed.push_back({month, year, t.symbol, a, b});
        }
    }
    if (c.changed.empty() || !c.notInTable.isEmpty()) return;
    NullPrinter nowhere;
    const SheetOutcome o = runSheet(now, nowhere);
    c.nowComputed = o.printed();
    c.nowWhy = o.why;
    c.now = o.result;
}

}  // namespace

CalcState stateFromFacts(const SheetFacts& f) {
    static const CalcState blank;
    CalcState st = blank;
    st.lngRecLen = kRecordLength;
    st.lngRecNo = 1;
    st.intFormulaNo = f.formula;
    st.lngODay = f.bidDay;
    st.lngOMonth = f.bidMonth;
    st.lngOYear = f.bidYear;
    st.strOMonth = thaiMonthName(f.bidMonth);
    st.OData = f.o;
    st.lngTDay = f.day;
    st.lngTMonth = f.month;
    st.lngTYear = f.year;
    st.strTMonth = thaiMonthName(f.month);
    st.TData = f.t;
    st.strInstallment = fixedText(f.installment, kTextLength);
    st.dblAmount = f.amount;
    for (size_t i = 0; i < f.items.size() && i < size_t(kEquipItems); ++i) {
        st.strEquipName[i] = fixedText(f.items[i].name, kTextLength);
        st.dblEquipPrice[i] = f.items[i].price;
    }
    st.dblNetAmount = netAmount(st);
    return st;
}

Double paidAmount(const SheetResult& r) {
    switch (r.band) {
        case Band::Above:
            return r.compensation;
        case Band::Below:
            return -r.refund;
        case Band::Inside:
            break;
    }
    return 0;
}

bool PageCheck::holds() const {
    if (!differs.isEmpty() || sheets.empty()) return false;
    return std::all_of(sheets.begin(), sheets.end(), [](const SheetCheck& c) {
        return c.computed && c.notInTable.isEmpty() && c.changed.empty();
    });
}

bool PageCheck::indicesChanged() const {
    return std::any_of(sheets.begin(), sheets.end(),
                       [](const SheetCheck& c) { return !c.changed.empty(); });
}

PageCheck checkPage(int page, const QString& facts, const QString& text, TableFile& table,
                    Long records) {
    PageCheck p;
    p.page = page;
    std::vector<print::Statement> doc;
    bool whole = true;  // every sheet of the page read and computed
    const QString sha = table.sha256();
    p.sameTable = !sha.isEmpty();
    for (const QString& line : facts.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        QString why;
        const std::optional<SheetFacts> f = readSheetFacts(line, &why);
        if (!f) {
            p.differs << QStringLiteral("ข้อมูลที่ใช้คำนวณซึ่งฝังไว้ในแฟ้มอ่านไม่ได้: ") + why;
            whole = false;
            continue;
        }
        SheetCheck c;
        c.facts = *f;
        p.sameTable = p.sameTable && f->tableSha256 == sha;
        const CalcState printed = stateFromFacts(*f);
        CalcState st = printed;
        CollectingPrinter sheet;
        const SheetOutcome o = runSheet(st, sheet);
        c.computed = o.printed();
        c.result = o.result;
        if (!c.computed) {
            p.differs << QStringLiteral("คำนวณใหม่จากข้อมูลที่ฝังไว้ไม่ได้: ") + o.why;
            whole = false;
        } else {
            doc.insert(doc.end(), sheet.doc.begin(), sheet.doc.end());
            p.differs << figuresDiffer(*f, o.result);
            compareWithTable(c, printed, table, records);
        }
        p.sheets.push_back(std::move(c));
    }
    if (p.sheets.empty() && p.differs.isEmpty())
        p.differs << QStringLiteral(
            "หน้านี้ไม่มีข้อมูลที่ใช้คำนวณฝังไว้ (ไม่ใช่รายการคำนวณ หรือถูกเพิ่มเข้ามาภายหลัง)");
    // The text is compared only with sheets that all computed: against a
    // part, every page would differ.
    if (whole && !doc.empty()) {
        if (const QString d = firstDifference(doc, text); !d.isEmpty()) p.differs.prepend(d);
    }
    return p;
}
