// The panel beside the window's buttons shows what the sheet would be
// computed from: never another month's index values under a month the
// table does not hold, and amounts with the digits the sheet prints.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <map>

#include "FakePlatform.h"
#include "TableFiles.h"
#include "app/StateSummary.h"
#include "app/Tarvon.h"

namespace {

// Formula 1 reads M, S, C and I; each month's values are its own.
QByteArray month(const char* year, const char* month, const char* value) {
    return record({year, month, value, value, value, value, value});
}

class PanelTest : public ::testing::Test {
  protected:
    void start(const QByteArray& table) {
        folder.table(table);
        ASSERT_TRUE(app.Form_Load(nullptr));
    }
    void enter(const char* bidMonth, const char* bidYear, const char* month, const char* year,
               const char* amount = "1000000", const char* price = "0") {
        ui.reply({"1", QString::fromLatin1(bidMonth), QString::fromLatin1(bidYear)});
        app.cmdO_Click();
        ui.reply({"1", QString::fromLatin1(month), QString::fromLatin1(year), "first",
                  QString::fromLatin1(amount), "pump", QString::fromLatin1(price)});
        if (QByteArray(price) != "0") ui.reply({"", "0"});
        app.cmdT_Click();
        ASSERT_TRUE(ui.replies.empty());
    }
    std::map<QString, QString> panel() {
        std::map<QString, QString> lines;
        for (const SummaryLine& l : stateSummary(app.state(), app.table())) lines[l.title] = l.text;
        return lines;
    }
    WorkingFolder folder;
    FakePlatform ui;
    Tarvon app{ui};
};

struct MonthCase {
    const char *bidMonth, *bidYear, *month, *year;
    const char* bidValues;  // the index line, or nullptr for a month not found
    const char* values;
};
void PrintTo(const MonthCase& c, std::ostream* os) {
    *os << c.bidMonth << '/' << c.bidYear << " and " << c.month << '/' << c.year;
}
class MonthNotInTheTable : public PanelTest, public ::testing::WithParamInterface<MonthCase> {};

// A search that finds nothing leaves the record it read last behind: the
// panel says the month is not found and shows none of that record's values.
TEST_P(MonthNotInTheTable, ShowsNoValuesOfAnotherMonth) {
    start(month("2548", "1", "101") + month("2548", "2", "102") + month("2548", "3", "103"));
    const MonthCase c = GetParam();
    enter(c.bidMonth, c.bidYear, c.month, c.year);
    auto lines = panel();
    const struct {
        const char *date, *values, *m, *y, *expected;
    } dates[] = {{"วันเปิดซอง", "ดัชนีเดือนเปิดซอง", c.bidMonth, c.bidYear, c.bidValues},
                 {"วันส่งงาน", "ดัชนีเดือนส่งงาน", c.month, c.year, c.values}};
    for (const auto& d : dates) {
        const QString date = lines[QString::fromUtf8(d.date)];
        const QString values = lines[QString::fromUtf8(d.values)];
        const QString slash = QStringLiteral("(%1/%2)").arg(QLatin1String(d.m), QLatin1String(d.y));
        if (d.expected) {
            EXPECT_TRUE(date.endsWith(slash + QStringLiteral(": พบในแฟ้มดัชนีราคา"))) << date.toStdString();
            EXPECT_EQ(values, QString::fromUtf8(d.expected));
        } else {
            EXPECT_TRUE(date.endsWith(slash + QStringLiteral(": ไม่พบในแฟ้มดัชนีราคา"))) << date.toStdString();
            EXPECT_EQ(values, QStringLiteral("ไม่มีค่าดัชนีของเดือน %1/%2 ในแฟ้มดัชนีราคา")
                                  .arg(QLatin1String(d.m), QLatin1String(d.y)));
        }
    }
}
INSTANTIATE_TEST_SUITE_P(
    Months, MonthNotInTheTable,
    ::testing::Values(
        // After the table's last month, in the same year.
        MonthCase{"1", "2548", "4", "2548", "Io = 101, Co = 101, Mo = 101, So = 101", nullptr},
        // A Christian year, with a month the table holds in its B.E. year.
        MonthCase{"2", "2005", "3", "2548", nullptr, "It = 103, Ct = 103, Mt = 103, St = 103"},
        MonthCase{"12", "2547", "12", "2548", nullptr, nullptr}));

// The amounts the panel shows are the sheet's: the same value with all
// the sheet's digits (grouped by thousands, at least two decimals), the
// refund below the band and the compensation above it alike.
struct AmountCase {
    const char *bid, *delivery;  // index values of the two months, all four columns
    const char *amount, *price;
    const char* sheetLabel;      // the sheet's line of the money owed
};
void PrintTo(const AmountCase& c, std::ostream* os) { *os << c.amount << " less " << c.price; }
class AmountDigits : public PanelTest, public ::testing::WithParamInterface<AmountCase> {};

// The last number of the sheet's line that starts with `label`.
QString sheetNumber(const QStringList& sheet, const QString& label) {
    static const QRegularExpression last(QStringLiteral("(\\S+)\\s+บาท$"));
    for (const QString& line : sheet)
        if (line.trimmed().startsWith(label)) return last.match(line.trimmed()).captured(1);
    return QStringLiteral("(no line %1)").arg(label);
}

// The panel's number as the sheet writes it: no grouping, no trailing zeros.
QString asSheetWrites(QString panel) {
    panel.remove(QLatin1Char(','));
    if (panel.contains(QLatin1Char('.'))) {
        while (panel.endsWith(QLatin1Char('0'))) panel.chop(1);
        if (panel.endsWith(QLatin1Char('.'))) panel.chop(1);
    }
    return panel;
}

TEST_P(AmountDigits, ThePanelShowsTheSheetsNumbers) {
    const AmountCase c = GetParam();
    start(month("2548", "1", c.bid) + month("2548", "2", c.delivery));
    enter("1", "2548", "2", "2548", c.amount, c.price);
    auto lines = panel();
    const bool below = QByteArray(c.sheetLabel).startsWith("ต้องคืน");
    static const QRegularExpression owed(QStringLiteral("(?:ต้องคืนเงินให้ราชการ|ได้รับเงินชดเชย) (\\S+) บาท$"));
    const QRegularExpressionMatch panelOwed = owed.match(lines[QStringLiteral("ค่า K")]);
    ASSERT_TRUE(panelOwed.hasMatch()) << lines[QStringLiteral("ค่า K")].toStdString();
    EXPECT_EQ(lines[QStringLiteral("ค่า K")].contains(QStringLiteral("ต้องคืนเงินให้ราชการ")), below);

    app.cmdPrint_Click();
    ASSERT_EQ(ui.printerDevice.jobs.size(), 1u) << ui.messages.join("\n").toStdString();
    const QStringList sheet = FakePrinter::texts(ui.printerDevice.jobs[0]);
    const QString owedOnSheet = sheetNumber(sheet, QString::fromUtf8(c.sheetLabel));
    if (below) {  // the case the panel rounded: three decimals or more
        EXPECT_GE(owedOnSheet.size() - owedOnSheet.indexOf(QLatin1Char('.')) - 1, 3) << owedOnSheet.toStdString();
    }
    const struct {
        QString panel, sheet;
    } pairs[] = {
        {panelOwed.captured(1), owedOnSheet},
        {lines[QStringLiteral("ค่างวด")].chopped(4), sheetNumber(sheet, QStringLiteral("เงินงวดนี้"))},
        {lines[QStringLiteral("คงเหลือเงินในงวดนี้")].chopped(4),
         sheetNumber(sheet, QString::fromUtf8(QByteArray(c.price) == "0" ? "เงินที่ใช้คำนวณค่าชดเชย"
                                                                       : "คงเหลือเงินในงวดนี้"))},
    };
    for (const auto& p : pairs) {
        EXPECT_EQ(asSheetWrites(p.panel), p.sheet) << p.panel.toStdString();
        // Grouped by thousands, at least two decimals.
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^-?\\d{1,3}(,\\d{3})*\\.\\d{2,}$")).match(p.panel).hasMatch())
            << p.panel.toStdString();
    }
}
INSTANTIATE_TEST_SUITE_P(
    Amounts, AmountDigits,
    ::testing::Values(
        // K 0.85, 0.11 below the band.
        AmountCase{"100", "80", "1,031,802.738", "0", "ต้องคืนเงินให้ราชการ"},
        AmountCase{"100", "80", "1,234,567.891", "0", "ต้องคืนเงินให้ราชการ"},
        AmountCase{"100", "80", "10,317,847.3929", "25,000.5", "ต้องคืนเงินให้ราชการ"},
        // K 0.91, 0.05 below.
        AmountCase{"100", "88", "999,999.99", "0", "ต้องคืนเงินให้ราชการ"},
        AmountCase{"100", "88", "1,000,000.07", "0.01", "ต้องคืนเงินให้ราชการ"},
        // Above the band: satang, as the sheet computes it.
        AmountCase{"100", "120", "1,234,567.891", "0", "จะได้รับเงินชดเชย"},
        AmountCase{"100", "120", "500,000.125", "125.1", "จะได้รับเงินชดเชย"}));

TEST(GroupedBaht, TheSheetsDigitsGrouped) {
    const struct {
        Double amount;
        const char* shown;
    } cases[] = {{0, "0.00"},
                 {950000, "950,000.00"},
                 {1324999.5, "1,324,999.50"},
                 {1134983.012, "1,134,983.012"},
                 {-1234.5678, "-1,234.5678"},
                 {999.999, "999.999"},
                 {0.29, "0.29"},
                 {123456789012.345, "123,456,789,012.345"},
                 {1e20, "1E+20"}};
    for (const auto& c : cases) EXPECT_EQ(groupedBaht(c.amount), QString::fromLatin1(c.shown)) << c.shown;
}

}  // namespace
