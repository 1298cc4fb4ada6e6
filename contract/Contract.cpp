#include "contract/Contract.h"

#include <QLocale>
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

QString number(Single v) { return print::formatNumber(v).trimmed(); }
QString number(Double v) { return print::formatNumber(v).trimmed(); }

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
    out.result = outcome.result;
    out.sheet = std::move(sheet.doc);
    return out;
}

}  // namespace

Contract runContract(const QString& csv, TableFile& table, Long records,
                     const std::function<void(const ContractRow&)>& each) {
    Contract contract;
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

namespace {

QString bandWord(Band b) {
    switch (b) {
        case Band::Below:
            return QStringLiteral("ต่ำกว่า");
        case Band::Above:
            return QStringLiteral("สูงกว่า");
        default:
            return QStringLiteral("ภายใน");
    }
}

}  // namespace

QString contractSummary(const std::vector<ContractRow>& rows) {
    std::vector<QStringList> lines = {
        {QStringLiteral("แถว"), QStringLiteral("งวด"), QStringLiteral("สูตร"),
         QStringLiteral("เปิดซอง"), QStringLiteral("ส่งงาน"), QStringLiteral("K"),
         QStringLiteral("ช่วง 0.96-1.04"), QStringLiteral("ส่วนเกิน"), QStringLiteral("เงินที่ใช้คำนวณ"),
         QStringLiteral("ชดเชย(+)/คืน(-) บาท")}};
    long long satang = 0;
    Double refunds = 0;
    int refused = 0;
    for (const ContractRow& r : rows) {
        QStringList l = {QString::number(r.row), r.installment, r.formula};
        if (!r.computed()) {
            ++refused;
            l << QString() << QString() << QStringLiteral("ไม่ได้คำนวณ: ") + r.error;
            lines.push_back(l);
            continue;
        }
        l << monthSlashYear(r.bidMonth, r.bidYear)
          << monthSlashYear(r.month, r.year) << number(r.result.k)
          << bandWord(r.result.band)
          << (r.result.band == Band::Inside ? QString() : number(r.result.excess))
          << number(r.netAmount);
        if (r.result.band == Band::Above) {
            l << number(r.result.compensation);
            satang += std::llround(r.result.compensation * 100);
        } else if (r.result.band == Band::Below) {
            l << number(Double(-r.result.refund));
            refunds += r.result.refund;
        } else {
            l << QStringLiteral("0");
        }
        lines.push_back(l);
    }
    // Aligned in character cells; the last column of a refused row runs on.
    const int columns = int(lines[0].size());
    std::vector<int> width(size_t(columns), 0);
    for (const QStringList& l : lines) {
        if (l.size() < columns) continue;
        for (int c = 0; c < columns; ++c)
            width[size_t(c)] = std::max(width[size_t(c)], print::cellWidth(l[c]));
    }
    QString out;
    for (const QStringList& l : lines) {
        QString text;
        for (int c = 0; c < l.size(); ++c) {
            // A refused row's reason runs on past the columns.
            const bool runsOn = l.size() < columns && c + 1 == l.size();
            const int pad = runsOn ? 0 : width[size_t(c)] - print::cellWidth(l[c]);
            const bool right = c == 0 || c == 2 || c >= 5;  // numbers to the right
            text += right ? QString(pad, QLatin1Char(' ')) + l[c]
                          : l[c] + QString(pad, QLatin1Char(' '));
            if (c + 1 < l.size()) text += QStringLiteral("  ");
        }
        out += text + QLatin1Char('\n');
    }
    out += QStringLiteral("รวมเงินชดเชย %1 บาท\n").arg(number(Double(satang) / 100.0));
    out += QStringLiteral("รวมเงินที่ต้องคืนให้ราชการ %1 บาท\n").arg(number(refunds));
    out += QStringLiteral("คำนวณได้ %1 แถว ไม่ได้คำนวณ %2 แถว\n")
               .arg(int(rows.size()) - refused)
               .arg(refused);
    return out;
}

QString contractSummaryCsv(const std::vector<ContractRow>& rows) {
    QString out = QStringLiteral(
        "row,installment,formula,bid_year,bid_month,year,month,k,band,excess,net_amount,"
        "compensation,"
        "refund,error\n");
    for (const ContractRow& r : rows) {
        QStringList c = {QString::number(r.row), r.installment, r.formula};
        if (!r.computed()) {
            c << QString() << QString() << QString() << QString() << QString() << QString()
              << QString() << QString() << QString() << QString() << r.error;
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
