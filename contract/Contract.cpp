#include "contract/Contract.h"

#include <QLocale>
#include <charconv>
#include <tuple>
#include <type_traits>

#include "base/CsvText.h"
#include "base/MonthNames.h"
#include "contract/Installment.h"
#include "entry/Entry.h"
#include "entry/Replies.h"
#include "escalation/Sheet.h"
#include "indexdata/CsvImport.h"

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

// The installment a row holds, each cell converted as the reply to its
// prompt would be; `error` (naming the cell) when one does not convert.
Installment readRow(const CsvRow& row, const QStringList& header, QString* error) {
    const auto cell = [&](const QString& column) {
        return row.cells.value(header.indexOf(column)).trimmed();
    };
    // In one number format whatever the desktop's: a file means the same
    // anywhere. The first cell that does not convert refuses the row.
    const QLocale format = QLocale::c();
    const auto take = [&](const QString& column, Conversion (*convert)(const QString&,
                                                                       const QLocale&),
                          auto& into) {
        if (!error->isEmpty()) return false;
        const Conversion c = convert(cell(column), format);
        if (!c.ok) {
            *error = QStringLiteral("ช่อง %1: %2").arg(column, c.error);
            return false;
        }
        into = static_cast<std::remove_reference_t<decltype(into)>>(c.value);
        return true;
    };
    const auto whole = [](const QString& t, const QLocale& l) { return replyToLong(t, l); };
    const auto small = [](const QString& t, const QLocale& l) { return replyToInteger(t, l); };
    const auto real = [](const QString& t, const QLocale& l) { return replyToDouble(t, l); };

    Installment in;
    take(QStringLiteral("formula"), small, in.formula);
    take(QStringLiteral("bid_day"), whole, in.bidDay);
    take(QStringLiteral("bid_month"), whole, in.bidMonth);
    take(QStringLiteral("bid_year"), whole, in.bidYear);
    take(QStringLiteral("day"), whole, in.day);
    take(QStringLiteral("month"), whole, in.month);
    take(QStringLiteral("year"), whole, in.year);
    take(QStringLiteral("amount"), real, in.amount);
    if (!error->isEmpty()) return in;
    // A day its month does not have never reaches a sheet.
    for (const auto& [column, d, m, y] : {std::tuple{"bid_day", in.bidDay, in.bidMonth, in.bidYear},
                                          std::tuple{"day", in.day, in.month, in.year}}) {
        if (const QString problem = dayProblem(d, m, y); !problem.isEmpty()) {
            *error = QStringLiteral("ช่อง %1: %2").arg(QLatin1String(column), problem);
            return in;
        }
    }
    // The designation and the names keep their blanks as typed.
    const auto raw = [&](const QString& column) { return row.cells.value(header.indexOf(column)); };
    in.designation = raw(QStringLiteral("installment"));
    for (int n = 1; n <= kEquipItems; ++n) {
        const QString price = QStringLiteral("price%1").arg(n);
        Double value = 0;  // a price left empty ends the chain, as 0 does
        if (!cell(price).isEmpty() && !take(price, real, value)) return in;
        in.items.push_back({raw(QStringLiteral("item%1").arg(n)), value});
        if (value == 0) break;
    }
    return in;
}

ContractRow runRow(const CsvRow& row, const QStringList& header, TableFile& table, Long records) {
    // A row refused shows its cells as written.
    const auto refused = [&](const QString& why) {
        ContractRow out;
        out.row = row.row;
        out.formula = row.cells.value(header.indexOf(QStringLiteral("formula"))).trimmed();
        out.installment = row.cells.value(header.indexOf(QStringLiteral("installment"))).trimmed();
        out.error = why;
        return out;
    };
    if (const QString problem = csvRowProblem(row); !problem.isEmpty()) return refused(problem);
    QString error;
    const Installment in = readRow(row, header, &error);
    if (!error.isEmpty()) return refused(error);
    CollectingPrinter sheet;
    const InstallmentOutcome outcome = computeInstallment(in, table, records, sheet);
    return contractRow(row.row, in, outcome, std::move(sheet.doc), std::move(sheet.facts));
}

}  // namespace

namespace {

// The columns the heading row names; false with the file's refusal.
bool readHeading(const CsvText& csv, CsvReader& reader, QStringList* header, QString* error) {
    if (!csv.refusal.isEmpty()) {
        *error = csv.refusal;
        return false;
    }
    CsvRow first;
    if (!reader.next(&first)) {
        *error = QStringLiteral("ไม่มีแถวหัวตาราง (formula,bid_day,...)");
        return false;
    }
    for (const QString& h : first.cells) *header << contractColumn(h);
    for (const QString& c : kContractColumns) {
        if (!header->contains(c)) {
            *error = QStringLiteral("ไม่มีคอลัมน์ %1 ในแถวหัวตาราง").arg(c);
            return false;
        }
    }
    *error = columnNamedTwice(first.cells, *header);
    return error->isEmpty();
}

}  // namespace

Contract runContract(const CsvText& csv, TableFile& table, Long records,
                     const std::function<void(const ContractRow&)>& each) {
    Contract contract;
    CsvReader reader(csv);
    QStringList header;
    if (!readHeading(csv, reader, &header, &contract.error)) return contract;
    // Every row searches the same table: it is read once.
    table.buildMonthIndex(records);
    for (CsvRow row; reader.next(&row);) {
        contract.rows.push_back(runRow(row, header, table, records));
        if (each) {
            each(contract.rows.back());
            contract.rows.back().sheet = {};
            contract.rows.back().facts.clear();
        }
    }
    return contract;
}

namespace {

// What keeps an installment that reads from ever having a sheet: a formula
// number without a formula, a month no table can hold (outside 1 to 12, a
// year below 2400 taken for a Christian one). Kept, it would wait for ever.
QString neverComputes(const Installment& in) {
    if (const QString problem = formulaProblem(in.formula); !problem.isEmpty())
        return QStringLiteral("ช่อง formula: ") + problem;
    for (const auto& [monthColumn, yearColumn, month, year] :
         {std::tuple{"bid_month", "bid_year", in.bidMonth, in.bidYear},
          std::tuple{"month", "year", in.month, in.year}}) {
        const QString problem = monthYearProblem(QString::number(year), QString::number(month));
        if (problem.isEmpty()) continue;
        const bool monthIsWrong = month < 1 || month > 12;
        return QStringLiteral("ช่อง %1: %2")
            .arg(QLatin1String(monthIsWrong ? monthColumn : yearColumn), problem);
    }
    return QString();
}

}  // namespace

std::vector<std::pair<int, Installment>> readContractCsv(const CsvText& csv,
                                                         std::vector<ContractRow>* refused,
                                                         QString* error) {
    std::vector<std::pair<int, Installment>> out;
    CsvReader reader(csv);
    QStringList header;
    if (!readHeading(csv, reader, &header, error)) return out;
    for (CsvRow row; reader.next(&row);) {
        QString why = csvRowProblem(row);
        const Installment in = why.isEmpty() ? readRow(row, header, &why) : Installment();
        if (why.isEmpty()) why = neverComputes(in);
        if (why.isEmpty()) {
            out.emplace_back(row.row, in);
            continue;
        }
        ContractRow r;
        r.row = row.row;
        r.formula = row.cells.value(header.indexOf(QStringLiteral("formula"))).trimmed();
        r.installment = row.cells.value(header.indexOf(QStringLiteral("installment"))).trimmed();
        r.error = why;
        refused->push_back(std::move(r));
    }
    return out;
}

QString contractCsvHeading() {
    QStringList h;
    for (const auto& [thai, english] : kThaiColumns) h << QString::fromUtf8(thai);
    for (int n = 1; n <= kEquipItems; ++n)
        h << QStringLiteral("ครุภัณฑ์%1").arg(n) << QStringLiteral("ราคาครุภัณฑ์%1").arg(n);
    return h.join(QLatin1Char(','));
}

namespace {

// The fewest digits that read back as the same Double, without an exponent.
QString exact(Double v) {
    char buf[400];
    const auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed).ptr;
    return QString::fromLatin1(buf, end - buf);
}

}  // namespace

QString contractCsvRow(const Installment& in) {
    QStringList c = {QString::number(in.formula), QString::number(in.bidDay),
                     QString::number(in.bidMonth), QString::number(in.bidYear),
                     QString::number(in.day),      QString::number(in.month),
                     QString::number(in.year),     csvCell(in.designation),
                     exact(in.amount)};
    for (int n = 0; n < kEquipItems; ++n) {
        if (size_t(n) < in.items.size())
            c << csvCell(in.items[size_t(n)].name) << exact(in.items[size_t(n)].price);
        else
            c << QString() << QString();
    }
    return c.join(QLatin1Char(','));
}

ContractRow contractRow(int row, const Installment& in, const InstallmentOutcome& outcome,
                        std::vector<print::Statement> sheet, QString facts) {
    ContractRow out;
    out.row = row;
    out.installment = trimBlanks(fixedText(in.designation, kTextLength)).toString();
    out.formula = QString::number(in.formula);
    out.bidYear = in.bidYear;
    out.bidMonth = in.bidMonth;
    out.year = in.year;
    out.month = in.month;
    out.netAmount = outcome.netAmount;
    out.error = outcome.why;
    out.monthMissing = outcome.monthMissing;
    out.result = outcome.result;
    out.sheet = std::move(sheet);
    out.facts = std::move(facts);
    return out;
}
