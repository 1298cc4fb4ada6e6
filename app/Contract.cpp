#include "app/Contract.h"

#include <QLocale>
#include <deque>

#include "app/Tarvon.h"
#include "entry/Entry.h"
#include "entry/Replies.h"
#include "base/CsvText.h"
#include "indexdata/MonthSearch.h"

const QStringList kContractColumns = {
    QStringLiteral("formula"),  QStringLiteral("bid_day"),     QStringLiteral("bid_month"),
    QStringLiteral("bid_year"), QStringLiteral("day"),         QStringLiteral("month"),
    QStringLiteral("year"),     QStringLiteral("installment"), QStringLiteral("amount")};

namespace {

// Answers the commands' prompts from a row's cells, in the order the
// commands ask. A reply the command refuses ends the row: its message is
// kept with the column it came from, and the next prompt is cancelled, so
// the command keeps nothing of it.
class RowAnswers : public Platform {
  public:
    struct Answer {
        QString column, text;
    };
    std::deque<Answer> answers;
    QString error;

    std::optional<QString> inputBox(const QString&) override {
        if (!error.isEmpty() || answers.empty()) return std::nullopt;
        column_ = answers.front().column;
        const QString text = answers.front().text;
        answers.pop_front();
        return text;
    }
    void msgBox(const QString& text) override {
        // A month not in the table is named by the print rule instead.
        if (text == kNotFoundMessage || !error.isEmpty()) return;
        error = QStringLiteral("ช่อง %1: %2").arg(column_, text);
    }
    void beep() override {}
    void setCaption(const QString&) override {}
    Printer* printer(QString*) override { return nullptr; }
    void endProgram() override {}

  private:
    QString column_;
};

QString number(Single v) { return print::formatNumber(v).trimmed(); }
QString number(Double v) { return print::formatNumber(v).trimmed(); }

ContractRow runRow(const CsvRow& row, const QStringList& header, TableFile& table, Long records) {
    const auto cell = [&](const QString& column) {
        return row.cells.value(header.indexOf(column)).trimmed();
    };
    ContractRow out;
    out.line = row.line;
    out.formula = cell(QStringLiteral("formula"));
    out.installment = cell(QStringLiteral("installment"));
    if (const QString problem = csvRowProblem(row); !problem.isEmpty()) {
        out.error = problem;
        return out;
    }

    CalcState st;
    st.lngRecLen = kRecordLength;
    st.lngRecNo = 1;
    st.lngRecCount = records;
    RowAnswers ui;
    const auto answer = [&](std::initializer_list<const char*> columns) {
        for (const char* c : columns)
            ui.answers.push_back({QString::fromLatin1(c), cell(QString::fromLatin1(c))});
    };
    answer({"formula"});
    askInteger(ui, Tarvon::kFormulaPrompt, st.intFormulaNo);
    answer({"bid_day", "bid_month", "bid_year"});
    if (ui.error.isEmpty()) enterBidOpening(st, table, ui);
    answer({"day", "month", "year"});
    // The designation keeps its blanks as typed: it becomes a fixed text.
    ui.answers.push_back({QStringLiteral("installment"),
                          row.cells.value(header.indexOf(QStringLiteral("installment")))});
    answer({"amount"});
    for (int n = 1; n <= kEquipItems; ++n) {
        const QString item = QStringLiteral("item%1").arg(n),
                      price = QStringLiteral("price%1").arg(n);
        ui.answers.push_back({item, row.cells.value(header.indexOf(item))});
        // A price left empty ends the chain, as a price of 0 does.
        const QString p = cell(price);
        ui.answers.push_back({price, p.isEmpty() ? QStringLiteral("0") : p});
    }
    if (ui.error.isEmpty()) enterInstallment(st, table, ui);
    if (!ui.error.isEmpty()) {
        out.error = ui.error;
        return out;
    }
    out.installment = trimBlanks(st.strInstallment).toString();
    out.formula = QString::number(st.intFormulaNo);
    out.bidYear = st.lngOYear;
    out.bidMonth = st.lngOMonth;
    out.year = st.lngTYear;
    out.month = st.lngTMonth;
    out.netAmount = st.dblNetAmount;

    const FormulaDef* def = formulaDefinition(st.intFormulaNo);
    if (!def) {
        out.error = QStringLiteral("ไม่มีสูตรหมายเลข %1 (สูตรมีหมายเลข 1 ถึง 13)").arg(st.intFormulaNo);
        return out;
    }
    if (const QString missing = missingIndexMonth(st); !missing.isEmpty()) {
        out.error = missing;
        return out;
    }
    CollectingPrinter sheet;
    try {
        out.result = printSheet(*def, st, sheet);
    } catch (const CalcError& e) {
        out.error = e.message();
        return out;
    }
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
    for (const QString& h : first.cells) header << h.trimmed().toLower();
    for (const QString& c : kContractColumns) {
        if (!header.contains(c)) {
            contract.error = QStringLiteral("ไม่มีคอลัมน์ %1 ในแถวหัวตาราง").arg(c);
            return contract;
        }
    }
    // One fixed number format, whatever the desktop's: a file means the
    // same everywhere.
    const QLocale desktop;
    QLocale::setDefault(QLocale::c());
    for (CsvRow row; reader.next(&row);) {
        contract.rows.push_back(runRow(row, header, table, records));
        if (each) {
            each(contract.rows.back());
            contract.rows.back().sheet = {};
        }
    }
    QLocale::setDefault(desktop);
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
        QStringList l = {QString::number(r.line), r.installment, r.formula};
        if (!r.computed()) {
            ++refused;
            l << QString() << QString() << QStringLiteral("ไม่ได้คำนวณ: ") + r.error;
            lines.push_back(l);
            continue;
        }
        l << QStringLiteral("%1/%2").arg(r.bidMonth).arg(r.bidYear)
          << QStringLiteral("%1/%2").arg(r.month).arg(r.year) << number(r.result.k)
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
        QStringList c = {QString::number(r.line), r.installment, r.formula};
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
