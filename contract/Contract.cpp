#include "contract/Contract.h"

#include <QLocale>
#include <tuple>
#include <type_traits>

#include "base/CsvText.h"
#include "base/MonthNames.h"
#include "entry/Entry.h"
#include "entry/Replies.h"

const QStringList kContractColumns = {
    QStringLiteral("formula"),  QStringLiteral("bid_day"),     QStringLiteral("bid_month"),
    QStringLiteral("bid_year"), QStringLiteral("day"),         QStringLiteral("month"),
    QStringLiteral("year"),     QStringLiteral("installment"), QStringLiteral("amount")};

namespace {

// The Thai names a contract's header may use beside the English ones.
const std::pair<const char*, const char*> kThaiColumns[] = {
    {"สูตร", "formula"},           {"วันเปิดซอง", "bid_day"},     {"เดือนเปิดซอง", "bid_month"},
    {"ปีเปิดซอง", "bid_year"},      {"วันส่งงาน", "day"},          {"เดือนส่งงาน", "month"},
    {"ปีส่งงาน", "year"},          {"งวด", "installment"},        {"ค่างวด", "amount"},
};

}  // namespace

QString contractColumn(const QString& heading) {
    const QString h = heading.trimmed().toLower();
    for (const auto& [thai, english] : kThaiColumns)
        if (h == QString::fromUtf8(thai)) return QString::fromLatin1(english);
    // ครุภัณฑ์1..10 and ราคาครุภัณฑ์1..10 (ราคา first: it ends the same way).
    for (const auto& [thai, english] : {std::pair{"ราคาครุภัณฑ์", "price"}, std::pair{"ครุภัณฑ์", "item"}})
        if (h.startsWith(QString::fromUtf8(thai)))
            return QString::fromLatin1(english) + h.mid(QString::fromUtf8(thai).size()).trimmed();
    return h;
}

namespace {

// A column the rows are read by that two headings name (สูตร beside
// formula, item1 twice), in Thai naming both as written; empty when none
// is. Only the first would be read and the other ignored without a word.
QString columnNamedTwice(const QStringList& headings, const QStringList& columns) {
    const auto read = [](const QString& column) {
        if (kContractColumns.contains(column)) return true;
        for (int n = 1; n <= kEquipItems; ++n)
            if (column == QStringLiteral("item%1").arg(n) || column == QStringLiteral("price%1").arg(n))
                return true;
        return false;
    };
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const qsizetype again = columns.indexOf(columns[i], i + 1);
        if (again < 0 || !read(columns[i])) continue;
        return QStringLiteral("แถวหัวตารางมีคอลัมน์ %1 สองคอลัมน์: \"%2\" (คอลัมน์ที่ %3) และ \"%4\" "
                              "(คอลัมน์ที่ %5) จึงไม่รู้ว่าจะใช้คอลัมน์ใด: ลบหรือเปลี่ยนชื่อคอลัมน์หนึ่ง")
            .arg(columns[i], headings[i].trimmed(), QString::number(i + 1),
                 headings[again].trimmed(), QString::number(again + 1));
    }
    return QString();
}

ContractRow runRow(const CsvRow& row, const QStringList& header, TableFile& table, Long records) {
    const auto cell = [&](const QString& column) {
        return row.cells.value(header.indexOf(column)).trimmed();
    };
    ContractRow out;
    out.row = row.row;
    out.formula = cell(QStringLiteral("formula"));
    out.installment = cell(QStringLiteral("installment"));
    if (const QString problem = csvRowProblem(row); !problem.isEmpty()) {
        out.error = problem;
        return out;
    }

    // Each cell is converted as the reply to its prompt would be, in one
    // number format whatever the desktop's: a file means the same anywhere.
    // The first that does not convert refuses the row.
    const QLocale format = QLocale::c();
    const auto take = [&](const QString& column, Conversion (*convert)(const QString&,
                                                                       const QLocale&),
                          auto& into) {
        if (!out.error.isEmpty()) return false;
        const Conversion c = convert(cell(column), format);
        if (!c.ok) {
            out.error = QStringLiteral("ช่อง %1: %2").arg(column, c.error);
            return false;
        }
        into = static_cast<std::remove_reference_t<decltype(into)>>(c.value);
        return true;
    };
    const auto whole = [](const QString& t, const QLocale& l) { return replyToLong(t, l); };
    const auto small = [](const QString& t, const QLocale& l) { return replyToInteger(t, l); };
    const auto real = [](const QString& t, const QLocale& l) { return replyToDouble(t, l); };

    CalcState st;
    st.lngRecLen = kRecordLength;
    st.lngRecNo = 1;
    st.lngRecCount = records;
    Long bidDay = 0, bidMonth = 0, bidYear = 0, day = 0, month = 0, year = 0;
    take(QStringLiteral("formula"), small, st.intFormulaNo);
    take(QStringLiteral("bid_day"), whole, bidDay);
    take(QStringLiteral("bid_month"), whole, bidMonth);
    take(QStringLiteral("bid_year"), whole, bidYear);
    take(QStringLiteral("day"), whole, day);
    take(QStringLiteral("month"), whole, month);
    take(QStringLiteral("year"), whole, year);
    take(QStringLiteral("amount"), real, st.dblAmount);
    if (!out.error.isEmpty()) return out;
    // A day its month does not have never reaches a sheet.
    for (const auto& [column, d, m, y] : {std::tuple{"bid_day", bidDay, bidMonth, bidYear},
                                          std::tuple{"day", day, month, year}}) {
        if (const QString problem = dayProblem(d, m, y); !problem.isEmpty()) {
            out.error = QStringLiteral("ช่อง %1: %2").arg(QLatin1String(column), problem);
            return out;
        }
    }
    // A month not in the table is named by the print rule below.
    setBidOpening(st, table, bidDay, bidMonth, bidYear);
    setDelivery(st, table, day, month, year);
    // The designation and the names keep their blanks as typed.
    const auto raw = [&](const QString& column) {
        return row.cells.value(header.indexOf(column));
    };
    st.strInstallment = fixedText(raw(QStringLiteral("installment")), kTextLength);
    for (int n = 1; n <= kEquipItems; ++n) {
        const QString price = QStringLiteral("price%1").arg(n);
        Double value = 0;  // a price left empty ends the chain, as 0 does
        if (!cell(price).isEmpty() && !take(price, real, value)) return out;
        if (setEquipItem(st, n, raw(QStringLiteral("item%1").arg(n)), value)) break;
    }
    st.dblNetAmount = netAmount(st);

    out.installment = trimBlanks(st.strInstallment).toString();
    out.formula = QString::number(st.intFormulaNo);
    out.bidYear = st.lngOYear;
    out.bidMonth = st.lngOMonth;
    out.year = st.lngTYear;
    out.month = st.lngTMonth;
    out.netAmount = st.dblNetAmount;

    CollectingPrinter sheet;
    const SheetOutcome outcome = runSheet(st, sheet);
    out.error = outcome.why;
    out.monthMissing = outcome.status == SheetOutcome::Status::MonthMissing;
    out.result = outcome.result;
    out.sheet = std::move(sheet.doc);
    return out;
}

}  // namespace

Contract runContract(const CsvText& csv, TableFile& table, Long records,
                     const std::function<void(const ContractRow&)>& each) {
    Contract contract;
    if (!csv.refusal.isEmpty()) {
        contract.error = csv.refusal;
        return contract;
    }
    CsvReader reader(csv);
    CsvRow first;
    if (!reader.next(&first)) {
        contract.error = QStringLiteral("ไม่มีแถวหัวตาราง (formula,bid_day,...)");
        return contract;
    }
    QStringList header;
    for (const QString& h : first.cells) header << contractColumn(h);
    for (const QString& c : kContractColumns) {
        if (!header.contains(c)) {
            contract.error = QStringLiteral("ไม่มีคอลัมน์ %1 ในแถวหัวตาราง").arg(c);
            return contract;
        }
    }
    if (const QString twice = columnNamedTwice(first.cells, header); !twice.isEmpty()) {
        contract.error = twice;
        return contract;
    }
    // Every row searches the same table: it is read once.
    table.buildMonthIndex(records);
    for (CsvRow row; reader.next(&row);) {
        contract.rows.push_back(runRow(row, header, table, records));
        if (each) {
            each(contract.rows.back());
            contract.rows.back().sheet = {};
        }
    }
    return contract;
}
