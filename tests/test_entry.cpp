#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "TableFiles.h"
#include "app/Tarvon.h"
#include "entry/Entry.h"
#include "base/MonthNames.h"
#include "entry/Replies.h"
#include "indexdata/MonthSearch.h"

using Reply = std::optional<QString>;

// ---- reply conversion ----------------------------------------------------------

struct WholeCase {
    const char* locale;
    const char* reply;
    double value;
};
void PrintTo(const WholeCase& c, std::ostream* os) { *os << c.locale << " \"" << c.reply << '"'; }
class ReplyToLong : public ::testing::TestWithParam<WholeCase> {};
TEST_P(ReplyToLong, ReadsTheLocaleAndRoundsHalvesToEven) {
    const Conversion c =
        replyToWhole(QString::fromUtf8(GetParam().reply), -2147483648.0, 2147483647.0,
                     QLocale(QString::fromLatin1(GetParam().locale)));
    ASSERT_TRUE(c.ok) << c.error.toStdString();
    EXPECT_EQ(c.value, GetParam().value);
}
INSTANTIATE_TEST_SUITE_P(
    Locales, ReplyToLong,
    ::testing::Values(WholeCase{"th_TH", "2541", 2541}, WholeCase{"th_TH", "  15  ", 15},
                      WholeCase{"th_TH", "2541.5", 2542}, WholeCase{"th_TH", "3.5", 4},
                      WholeCase{"th_TH", "2.5", 2}, WholeCase{"th_TH", "-2.5", -2},
                      WholeCase{"th_TH", "1,000,000", 1000000},
                      WholeCase{"en_US", "1,000,000", 1000000},
                      WholeCase{"de_DE", "1.000.000", 1000000}, WholeCase{"de_DE", "2,5", 2},
                      WholeCase{"de_DE", "3,5", 4}, WholeCase{"th_TH", "2147483647", 2147483647},
                      WholeCase{"th_TH", "-2147483648", -2147483648.0},
                      WholeCase{"th_TH", "๑,๐๐๐,๐๐๐", 1000000}, WholeCase{"th_TH", "๒๕๔๘", 2548},
                      WholeCase{"en_US", "๒.๕", 2}, WholeCase{"de_DE", "๓,๕", 4},
                      WholeCase{"th_TH", " ๑๒๓๔๕๖๗๘๙๐ ", 1234567890}));

struct BadCase {
    const char* reply;
    double min, max;
};
void PrintTo(const BadCase& c, std::ostream* os) { *os << '"' << c.reply << '"'; }
class ReplyRefused : public ::testing::TestWithParam<BadCase> {};
TEST_P(ReplyRefused, SaysWhatIsExpected) {
    const Conversion c = replyToWhole(QString::fromUtf8(GetParam().reply), GetParam().min,
                                      GetParam().max, QLocale(QStringLiteral("th_TH")));
    EXPECT_FALSE(c.ok);
    EXPECT_FALSE(c.error.isEmpty());
}
INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyRefused,
    ::testing::Values(BadCase{"", -32768, 32767}, BadCase{"   ", -32768, 32767},
                      BadCase{"abc", -32768, 32767}, BadCase{"12abc", -32768, 32767},
                      BadCase{"32768", -32768, 32767}, BadCase{"-32769", -32768, 32767},
                      BadCase{"2147483648", -2147483648.0, 2147483647},
                      BadCase{"1e999", -2147483648.0, 2147483647},
                      BadCase{"inf", -2147483648.0, 2147483647}));

TEST(ReplyToDouble, KeepsTheFraction) {
    const Conversion c =
        replyToDouble(QStringLiteral(" 1,234,567.89 "), QLocale(QStringLiteral("th_TH")));
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.value, 1234567.89);
    EXPECT_EQ(replyToDouble(QStringLiteral("1.234,5"), QLocale(QStringLiteral("de_DE"))).value,
              1234.5);
    EXPECT_FALSE(replyToDouble(QStringLiteral("บาท"), QLocale(QStringLiteral("th_TH"))).ok);
}

// An amount is a number a sheet can print: what a locale reads as "not a
// number" or an infinity is refused, in every case the user may type it.
TEST(ReplyToDouble, NoInfinityAndNoNotANumber) {
    for (const char* reply : {"nan", "NaN", "-nan", "inf", "-inf", "INF", "infinity", "1e999"}) {
        for (const QLocale& locale : {QLocale::c(), QLocale(QStringLiteral("th_TH"))}) {
            const Conversion c = replyToDouble(QString::fromLatin1(reply), locale);
            EXPECT_FALSE(c.ok) << reply << " read as " << c.value;
            EXPECT_FALSE(c.error.isEmpty()) << reply;
        }
    }
}

TEST(MonthNames, TwelveNamesAndNothingElse) {
    EXPECT_EQ(thaiMonthName(1), QStringLiteral("มกราคม"));
    EXPECT_EQ(thaiMonthName(6), QStringLiteral("มิถุนายน"));
    EXPECT_EQ(thaiMonthName(12), QStringLiteral("ธันวาคม"));
    EXPECT_TRUE(thaiMonthName(0).isEmpty());
    EXPECT_TRUE(thaiMonthName(13).isEmpty());
}

// ---- the two commands ----------------------------------------------------------------

const QString kOMonthPrompt = QStringLiteral(
    "เดือนเปิดซอง 1.มกราคม 2.กุมภาพันธ์ 3.มีนาคม 4.เมษายน 5.พฤษภาคม 6.มิถุนายน 7.กรกฎาคม 8.สิงหาคม "
    "9.กันยายน 10.ตุลาคม 11.พฤศจิกายน 12.ธันวาคม");
const QString kTMonthPrompt = QStringLiteral(
    "เดือนที่ส่งงาน 1.มกราคม 2.กุมภาพันธ์ 3.มีนาคม 4.เมษายน 5.พฤษภาคม 6.มิถุนายน 7.กรกฎาคม 8.สิงหาคม "
    "9.กันยายน 10.ตุลาคม 11.พฤศจิกายน 12.ธันวาคม");

class EntryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.table(record({"2541", "6", "100", "101", "102"}) +
                     record({"2541", "7", "110", "111", "112"}));
        ASSERT_TRUE(app.Form_Load(nullptr));
    }
    CalcState& st() { return app.state(); }
    // Replies for the installment command up to the amount.
    void installmentHead(const char* amount) {
        ui.reply({"20", "7", "2541", "3", QString::fromUtf8(amount)});
    }
    WorkingFolder folder;
    FakePlatform ui;
    Tarvon app{ui};
};

TEST_F(EntryTest, BidOpeningAsksThreePromptsAndLooksTheMonthUp) {
    ui.reply({"15", "6", "2541"});
    app.cmdO_Click();
    EXPECT_EQ(ui.prompts, QStringList({QStringLiteral("เปิดซองวันที่เท่าใด"), kOMonthPrompt,
                                       QStringLiteral("ปี พ.ศ.ที่เปิดซอง")}));
    EXPECT_EQ(st().lngODay, 15);
    EXPECT_EQ(st().lngOMonth, 6);
    EXPECT_EQ(st().strOMonth, QStringLiteral("มิถุนายน"));
    EXPECT_EQ(st().lngOYear, 2541);
    EXPECT_EQ(st().OData[IndexColumn::M], 100.0f);
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(EntryTest, MonthThirteenKeepsThePreviousNameAndIsNotFound) {
    ui.reply({"15", "6", "2541", "1", "13", "1998"});
    app.mnuO_Click();
    app.mnuO_Click();
    EXPECT_EQ(st().lngOMonth, 13);
    EXPECT_EQ(st().strOMonth, QStringLiteral("มิถุนายน"));
    EXPECT_EQ(st().lngOYear, 1998);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].section(QLatin1Char('\n'), 0, 0), kNotFoundMessage);
    EXPECT_EQ(ui.beeps, 1);
}

TEST_F(EntryTest, UnconvertibleReplyReAsksAndStoresNothing) {
    ui.reply({"15", "หก", "", "6", "2541"});
    app.cmdO_Click();
    EXPECT_EQ(ui.prompts.count(kOMonthPrompt), 3);
    EXPECT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(st().lngOMonth, 6);
}

TEST_F(EntryTest, CancelLeavesTheWholeBidOpeningAsItWas) {
    ui.reply({"15", "6", "2541"});
    app.cmdO_Click();
    const Long recNo = st().lngRecNo;
    // A new day and month, then Cancel at the year: nothing of it stays.
    ui.reply({"20", "7", std::nullopt});
    app.cmdO_Click();
    EXPECT_EQ(st().lngODay, 15);
    EXPECT_EQ(st().lngOMonth, 6);
    EXPECT_EQ(st().strOMonth, QStringLiteral("มิถุนายน"));
    EXPECT_EQ(st().lngOYear, 2541);
    EXPECT_EQ(st().OData[IndexColumn::M], 100.0f);
    EXPECT_EQ(st().lngRecNo, recNo);
    EXPECT_EQ(ui.prompts.size(), 6);
}

TEST_F(EntryTest, InstallmentPromptsInOrderAndItemOneZeroCopiesTheAmount) {
    installmentHead("1000000");
    ui.reply({"ปั๊มน้ำ", "0"});
    app.cmdT_Click();
    EXPECT_EQ(
        ui.prompts,
        QStringList({QStringLiteral("วันที่ที่ส่งงาน"), kTMonthPrompt, QStringLiteral("ปี พ.ศ.ที่ส่งงาน"),
                     QStringLiteral("งวดที่ส่งนี้เป็นงวดใด"), QStringLiteral("ค่างวดของงวดนี้กี่บาท"),
                     QStringLiteral("ครุภัณฑ์ลำดับที่ 1 คือ"), QStringLiteral("ราคาครุภัณฑ์ลำดับที่ 1")}));
    EXPECT_EQ(st().dblNetAmount, 1000000.0);
    EXPECT_EQ(st().strEquipName[0], fixedText(QStringLiteral("ปั๊มน้ำ"), 50));
    for (int i = 1; i < 10; ++i) EXPECT_EQ(st().strEquipName[i], QString(50, QLatin1Char(' ')));
    for (int i = 0; i < 10; ++i) EXPECT_EQ(st().dblEquipPrice[i], 0.0);
    EXPECT_EQ(st().TData[IndexColumn::M], 110.0f);
    EXPECT_EQ(st().strTMonth, QStringLiteral("กรกฎาคม"));
}

TEST_F(EntryTest, ChainStopsAtThirdItem) {
    installmentHead("500000");
    ui.reply({"A", "20000", "B", "30000", "C", "0"});
    app.cmdT_Click();
    EXPECT_EQ(st().dblNetAmount, 450000.0);
    EXPECT_EQ(st().strEquipName[2], fixedText(QStringLiteral("C"), 50));
    for (int i = 2; i < 10; ++i) EXPECT_EQ(st().dblEquipPrice[i], 0.0);
    for (int i = 3; i < 10; ++i) EXPECT_EQ(st().strEquipName[i], QString(50, QLatin1Char(' ')));
}

TEST_F(EntryTest, TenNonZeroPricesGiveTwentyChainPrompts) {
    installmentHead("1000");
    for (int i = 1; i <= 10; ++i) ui.reply({QStringLiteral("item%1").arg(i), QString::number(i)});
    app.cmdT_Click();
    EXPECT_EQ(ui.prompts.size(), 5 + 20);
    EXPECT_EQ(ui.prompts.last(), QStringLiteral("ราคาครุภัณฑ์ลำดับที่ 10"));
    EXPECT_EQ(st().dblNetAmount, 1000.0 - 55.0);
    EXPECT_EQ(st().dblEquipPrice[9], 10.0);
}

TEST_F(EntryTest, TenthItemZeroTakesNothingOffAndKeepsItsName) {
    installmentHead("1000");
    for (int i = 1; i <= 9; ++i) ui.reply({QStringLiteral("item%1").arg(i), QStringLiteral("1")});
    ui.reply({"last", "0"});
    app.cmdT_Click();
    EXPECT_EQ(st().dblNetAmount, 991.0);
    EXPECT_EQ(st().strEquipName[9], fixedText(QStringLiteral("last"), 50));
}

TEST_F(EntryTest, NetAmountSubtractsOneByOneInItemOrder) {
    // 0.1 + 0.2 taken off one at a time differs from taking off their sum.
    installmentHead("1");
    ui.reply({"a", "0.1", "b", "0.2", "c", "-0.5", "d", "0"});
    app.cmdT_Click();
    EXPECT_EQ(st().dblNetAmount, ((1.0 - 0.1) - 0.2) - (-0.5));
}

TEST_F(EntryTest, NegativeNetAmount) {
    installmentHead("100");
    ui.reply({"a", "80", "b", "70", "c", "0"});
    app.cmdT_Click();
    EXPECT_EQ(st().dblNetAmount, -50.0);
}

TEST_F(EntryTest, ShorterSecondEntryLeavesNothingOfTheFirstBeyondItsStop) {
    installmentHead("1000");
    for (int i = 1; i <= 7; ++i) ui.reply({QStringLiteral("old%1").arg(i), QStringLiteral("5")});
    ui.reply({"old8", "0"});
    app.cmdT_Click();
    installmentHead("1000");
    ui.reply({"new1", "9", "new2", "0"});
    app.cmdT_Click();
    EXPECT_EQ(st().strEquipName[1], fixedText(QStringLiteral("new2"), 50));
    for (int i = 2; i < 10; ++i) {
        EXPECT_EQ(st().strEquipName[i], QString(50, QLatin1Char(' '))) << i;
        EXPECT_EQ(st().dblEquipPrice[i], 0.0);
    }
    EXPECT_EQ(st().dblNetAmount, 991.0);
}

TEST_F(EntryTest, DesignationIsAFixedTextOfFifty) {
    installmentHead("1");
    ui.reply({"x", "0"});
    ui.replies[3] = QStringLiteral("5 งานหลังคา");
    app.cmdT_Click();
    EXPECT_EQ(st().strInstallment, QStringLiteral("5 งานหลังคา") + QString(39, QLatin1Char(' ')));
    installmentHead("1");
    ui.reply({"x", "0"});
    ui.replies[3] = QString(60, QLatin1Char('z'));
    app.cmdT_Click();
    EXPECT_EQ(st().strInstallment, QString(50, QLatin1Char('z')));
}

// A whole installment entry, then a second one cancelled at each prompt in
// turn: the state afterwards is the first entry's, field for field.
class CancelledInstallment : public EntryTest, public ::testing::WithParamInterface<int> {};
TEST_P(CancelledInstallment, LeavesTheFirstEntryWhole) {
    installmentHead("1000000");
    ui.reply({"pump", "50000", "b", "0"});
    app.cmdT_Click();
    const CalcState before = st();
    const std::vector<Reply> second = {"21",    "6",     "2541", "second", "2000000", "crane",
                                       "70000", "hoist", "5",    "c",      "0"};
    ui.replies.assign(second.begin(), second.begin() + GetParam());
    ui.replies.push_back(std::nullopt);
    app.cmdT_Click();
    EXPECT_TRUE(ui.replies.empty());
    const CalcState& after = st();
    EXPECT_EQ(after.lngTDay, before.lngTDay);
    EXPECT_EQ(after.lngTMonth, before.lngTMonth);
    EXPECT_EQ(after.strTMonth, before.strTMonth);
    EXPECT_EQ(after.lngTYear, before.lngTYear);
    EXPECT_EQ(after.TData.col, before.TData.col);
    EXPECT_EQ(after.lngRecNo, before.lngRecNo);
    EXPECT_EQ(after.recIndex.fields, before.recIndex.fields);
    EXPECT_EQ(after.strInstallment, before.strInstallment);
    EXPECT_EQ(after.dblAmount, before.dblAmount);
    EXPECT_EQ(after.dblNetAmount, before.dblNetAmount);
    EXPECT_EQ(after.strEquipName, before.strEquipName);
    EXPECT_EQ(after.dblEquipPrice, before.dblEquipPrice);
}
INSTANTIATE_TEST_SUITE_P(AtEveryPrompt, CancelledInstallment, ::testing::Range(0, 11));

class CancelledBidOpening : public EntryTest, public ::testing::WithParamInterface<int> {};
TEST_P(CancelledBidOpening, LeavesTheFirstEntryWhole) {
    ui.reply({"15", "6", "2541"});
    app.cmdO_Click();
    const CalcState before = st();
    const std::vector<Reply> second = {"1", "7", "2541"};
    ui.replies.assign(second.begin(), second.begin() + GetParam());
    ui.replies.push_back(std::nullopt);
    app.cmdO_Click();
    EXPECT_TRUE(ui.replies.empty());
    EXPECT_EQ(st().lngODay, before.lngODay);
    EXPECT_EQ(st().lngOMonth, before.lngOMonth);
    EXPECT_EQ(st().strOMonth, before.strOMonth);
    EXPECT_EQ(st().lngOYear, before.lngOYear);
    EXPECT_EQ(st().OData.col, before.OData.col);
    EXPECT_EQ(st().lngRecNo, before.lngRecNo);
}
INSTANTIATE_TEST_SUITE_P(AtEveryPrompt, CancelledBidOpening, ::testing::Range(0, 3));

TEST_F(EntryTest, NetAmountSubtractsThePricesOneByOne) {
    // 10 - 0.1 - 0.2 and 10 - (0.1 + 0.2) differ in the last bit.
    installmentHead("10");
    ui.reply({"a", "0.1", "b", "0.2", "c", "0"});
    app.cmdT_Click();
    EXPECT_EQ(st().dblNetAmount, 9.700000000000001);
    EXPECT_NE(st().dblNetAmount, 10 - (0.1 + 0.2));
}

TEST_F(EntryTest, InstallmentGoesOnAfterNotFound) {
    ui.reply({"20", "9", "2541", "1", "100", "x", "0"});
    app.cmdT_Click();
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].section(QLatin1Char('\n'), 0, 0), kNotFoundMessage);
    EXPECT_EQ(st().dblNetAmount, 100.0);
}

// The not-found message says, under its own first line, which month was
// asked and in which table; a Christian year gets the hint, an empty table
// is said to be empty.
TEST_F(EntryTest, NotFoundSaysTheMonthTheTableAndTheBuddhistEra) {
    const QString table = QFileInfo(QStringLiteral("KTABLE.DAT")).absoluteFilePath();
    const struct {
        std::initializer_list<std::optional<QString>> replies;
        QStringList says, never;
    } cases[] = {
        {{"1", "1", "2005"},
         {kNotFoundMessage + "\n", "1/2005", table, "พ.ศ. = ค.ศ. + 543", "พ.ศ. 2548"},
         {"แฟ้มนี้ว่าง"}},
        {{"1", "7", "2560"}, {"7/2560", table}, {"543", "แฟ้มนี้ว่าง"}},
    };
    for (const auto& c : cases) {
        ui.messages.clear();
        ui.reply(c.replies);
        app.cmdO_Click();
        ASSERT_EQ(ui.messages.size(), 1);
        EXPECT_TRUE(ui.messages[0].startsWith(kNotFoundMessage));
        for (const QString& part : c.says)
            EXPECT_TRUE(ui.messages[0].contains(part)) << ui.messages[0].toStdString();
        for (const QString& part : c.never)
            EXPECT_FALSE(ui.messages[0].contains(part)) << ui.messages[0].toStdString();
    }
    // An empty table says so.
    folder.table(QByteArray());
    ui.messages.clear();
    ui.reply({"1", "1", "2548"});
    app.cmdO_Click();
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].contains(QStringLiteral("แฟ้มนี้ว่าง"))) << ui.messages[0].toStdString();
}

TEST_F(EntryTest, EachEntryRewritesOnlyItsOwnGroup) {
    ui.reply({"15", "6", "2541"});
    app.cmdO_Click();
    installmentHead("100");
    ui.reply({"x", "0"});
    app.cmdT_Click();
    ui.reply({"1", "7", "2541"});
    app.cmdO_Click();
    EXPECT_EQ(st().OData[IndexColumn::M], 110.0f);
    EXPECT_EQ(st().lngTDay, 20);
    EXPECT_EQ(st().TData[IndexColumn::M], 110.0f);
    EXPECT_EQ(st().dblAmount, 100.0);
    ui.reply({"2", "6", "2541", "y", "5", "x", "0"});
    app.cmdT_Click();
    EXPECT_EQ(st().lngODay, 1);
    EXPECT_EQ(st().OData[IndexColumn::M], 110.0f);
    EXPECT_EQ(st().TData[IndexColumn::M], 100.0f);
}
