// A date that does not exist never reaches a sheet: the window says how
// many days the month has and asks the day again, keeping the month and the
// year; a contract row with such a date is refused, naming the cell. The
// days of a month follow the Buddhist-Era year.
#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "TableFiles.h"
#include "app/Tarvon.h"
#include "base/MonthNames.h"
#include "contract/Contract.h"

using Reply = std::optional<QString>;

namespace {

const QString kNovember2562 = QStringLiteral("เดือนพฤศจิกายน พ.ศ. 2562 มี 30 วัน");

struct DaysCase {
    Long month, year, days;
};
void PrintTo(const DaysCase& c, std::ostream* os) { *os << c.month << '/' << c.year; }
class DaysInMonth : public ::testing::TestWithParam<DaysCase> {};
TEST_P(DaysInMonth, ByTheBuddhistEraYear) {
    const DaysCase c = GetParam();
    EXPECT_EQ(daysInMonth(c.month, c.year), c.days);
    if (c.days == 0) {
        EXPECT_TRUE(dayProblem(31, c.month, c.year).isEmpty());  // no days to check
        return;
    }
    EXPECT_TRUE(dayProblem(1, c.month, c.year).isEmpty());
    EXPECT_TRUE(dayProblem(c.days, c.month, c.year).isEmpty());
    EXPECT_EQ(dayProblem(c.days + 1, c.month, c.year), monthAndYear(c.month, c.year) +
                                                           QStringLiteral(" มี %1 วัน").arg(c.days));
    for (const Long day : {0, -1, -31})
        EXPECT_EQ(dayProblem(day, c.month, c.year),
                  dayProblem(c.days + 1, c.month, c.year) +
                      QStringLiteral(" วันที่ต้องเป็น 1 ถึง %1").arg(c.days));
}
INSTANTIATE_TEST_SUITE_P(
    Months, DaysInMonth,
    ::testing::Values(DaysCase{1, 2562, 31}, DaysCase{2, 2562, 28}, DaysCase{2, 2563, 29},
                      DaysCase{2, 2543, 29},   // 2000: a hundred, and four hundred
                      DaysCase{2, 2443, 28},   // 1900: a hundred only
                      DaysCase{2, 2547, 29}, DaysCase{2, 2548, 28},
                      DaysCase{2, 2004, 28},   // a Christian year read as B.E.: 1461
                      DaysCase{2, 2007, 29},   // 1464
                      DaysCase{3, 2562, 31}, DaysCase{4, 2562, 30}, DaysCase{5, 2562, 31},
                      DaysCase{6, 2562, 30}, DaysCase{7, 2562, 31}, DaysCase{8, 2562, 31},
                      DaysCase{9, 2562, 30}, DaysCase{10, 2562, 31}, DaysCase{11, 2562, 30},
                      DaysCase{12, 2562, 31}, DaysCase{0, 2562, 0}, DaysCase{13, 2562, 0},
                      DaysCase{-2, 2562, 0}));

TEST(DayProblem, SaysTheMonthTheBuddhistEraYearAndItsDays) {
    EXPECT_EQ(dayProblem(31, 11, 2562), kNovember2562);
    EXPECT_EQ(dayProblem(30, 2, 2563), QStringLiteral("เดือนกุมภาพันธ์ พ.ศ. 2563 มี 29 วัน"));
}

// ---- the window's two entry commands ------------------------------------------

class DateEntry : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.table(record({"2562", "11", "100", "101", "102", "103", "104"}) +
                     record({"2563", "2", "110", "111", "112", "113", "114"}));
        ASSERT_TRUE(app.Form_Load(nullptr));
    }
    WorkingFolder folder;
    FakePlatform ui;
    Tarvon app{ui};
};

struct Retyped {
    bool installment;                      // else the bid opening
    std::initializer_list<Reply> replies;  // the date's own replies, day to the last day
    const char* said;                      // the message after the first date, one a wrong day
    Long day, month, year;
};

// The wrong day is said, the day alone asked again (as often as it is
// wrong), the month and the year kept; the date then stands as any other.
TEST_F(DateEntry, ADayTheMonthDoesNotHaveIsSaidAndAskedAgain) {
    const Retyped cases[] = {
        {false, {"31", "11", "2562", "30"}, "เดือนพฤศจิกายน พ.ศ. 2562 มี 30 วัน", 30, 11, 2562},
        {true, {"31", "11", "2562", "30"}, "เดือนพฤศจิกายน พ.ศ. 2562 มี 30 วัน", 30, 11, 2562},
        {false, {"30", "2", "2563", "29"}, "เดือนกุมภาพันธ์ พ.ศ. 2563 มี 29 วัน", 29, 2, 2563},
        {true, {"31", "2", "2563", "30", "1"}, "เดือนกุมภาพันธ์ พ.ศ. 2563 มี 29 วัน", 1, 2, 2563},
        {false, {"0", "11", "2562", "1"}, "เดือนพฤศจิกายน พ.ศ. 2562 มี 30 วัน วันที่ต้องเป็น 1 ถึง 30", 1, 11, 2562},
        {true, {"-3", "2", "2563", "๒๙"}, "เดือนกุมภาพันธ์ พ.ศ. 2563 มี 29 วัน วันที่ต้องเป็น 1 ถึง 29", 29, 2, 2563},
    };
    for (const Retyped& c : cases) {
        SCOPED_TRACE(c.said);
        ui.prompts.clear();
        ui.messages.clear();
        ui.reply(c.replies);
        if (c.installment) {
            ui.reply({"3 งานฐานราก", "1000", "", "0"});
            app.cmdT_Click();
        } else {
            app.cmdO_Click();
        }
        ASSERT_TRUE(ui.replies.empty());
        const QString dayPrompt = ui.prompts[0];
        QStringList asked = ui.prompts.mid(0, int(c.replies.size()));
        EXPECT_EQ(asked.mid(3), QStringList(asked.size() - 3, dayPrompt)) << "the month or year asked again";
        ASSERT_FALSE(ui.messages.isEmpty());
        EXPECT_EQ(ui.messages[0], QString::fromUtf8(c.said));
        EXPECT_EQ(ui.messages.size(), int(c.replies.size()) - 3);  // found: no other message
        const CalcState& st = app.state();
        EXPECT_EQ(c.installment ? st.lngTDay : st.lngODay, c.day);
        EXPECT_EQ(c.installment ? st.lngTMonth : st.lngOMonth, c.month);
        EXPECT_EQ(c.installment ? st.lngTYear : st.lngOYear, c.year);
        EXPECT_EQ((c.installment ? st.TData : st.OData).month, c.month);
    }
}

// Cancel at the day asked again leaves everything as before the command.
TEST_F(DateEntry, CancelAtTheDayAskedAgainLeavesTheEntryAsItWas) {
    ui.reply({"15", "11", "2562"});
    app.cmdO_Click();
    ui.reply({"20", "2", "2563", "first", "1000", "", "0"});
    app.cmdT_Click();
    const CalcState before = app.state();
    for (void (Tarvon::*command)() : {&Tarvon::cmdO_Click, &Tarvon::cmdT_Click}) {
        ui.notices.clear();
        ui.reply({"31", "2", "2563", std::nullopt});
        (app.*command)();
        EXPECT_TRUE(ui.replies.empty());
        EXPECT_EQ(ui.notices.size(), 1);
        const CalcState& st = app.state();
        EXPECT_EQ(st.lngODay, before.lngODay);
        EXPECT_EQ(st.lngOMonth, before.lngOMonth);
        EXPECT_EQ(st.lngOYear, before.lngOYear);
        EXPECT_EQ(st.OData.month, before.OData.month);
        EXPECT_EQ(st.lngTDay, before.lngTDay);
        EXPECT_EQ(st.lngTMonth, before.lngTMonth);
        EXPECT_EQ(st.strInstallment, before.strInstallment);
    }
}

// A month outside 1 to 12 has no days to check: it is not found, and said.
TEST_F(DateEntry, AMonthOutsideOneToTwelveIsNotFoundWithoutADayCheck) {
    ui.reply({"31", "13", "2562"});
    app.cmdO_Click();
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].startsWith(QStringLiteral("ไม่พบข้อมูลดัชนีราคา"))) << ui.messages[0].toStdString();
    EXPECT_EQ(app.state().lngODay, 31);
    EXPECT_EQ(app.state().lngOMonth, 13);
}

// ---- a contract's rows ----------------------------------------------------------

TEST(ContractDates, ARowWithADayItsMonthDoesNotHaveIsRefusedNamingTheCell) {
    WorkingFolder folder;
    folder.table(record({"2562", "11", "100", "101", "102", "103", "104", "105", "106", "107"}) +
                 record({"2563", "2", "110", "111", "112", "113", "114", "115", "116", "117"}));
    TableFile table;
    ASSERT_TRUE(table.open(QStringLiteral("KTABLE.DAT"), nullptr, false));
    const QString csv = QStringLiteral(
        "formula,bid_day,bid_month,bid_year,day,month,year,installment,amount\n"
        "1,31,11,2562,29,2,2563,1,1000\n"
        "1,30,11,2562,30,2,2563,2,1000\n"
        "1,0,11,2562,1,2,2563,3,1000\n"
        "1,30,11,2562,-1,2,2563,4,1000\n"
        "1,30,11,2562,29,2,2563,5,1000\n"
        "1,31,13,2562,29,2,2563,6,1000\n");
    const Contract contract = runContract(csv, table, 2);
    ASSERT_TRUE(contract.error.isEmpty());
    ASSERT_EQ(contract.rows.size(), 6u);
    EXPECT_EQ(contract.rows[0].error, QStringLiteral("ช่อง bid_day: ") + kNovember2562);
    EXPECT_EQ(contract.rows[1].error, QStringLiteral("ช่อง day: เดือนกุมภาพันธ์ พ.ศ. 2563 มี 29 วัน"));
    EXPECT_EQ(contract.rows[2].error,
              QStringLiteral("ช่อง bid_day: ") + kNovember2562 + QStringLiteral(" วันที่ต้องเป็น 1 ถึง 30"));
    EXPECT_EQ(contract.rows[3].error,
              QStringLiteral("ช่อง day: เดือนกุมภาพันธ์ พ.ศ. 2563 มี 29 วัน วันที่ต้องเป็น 1 ถึง 29"));
    EXPECT_TRUE(contract.rows[4].computed()) << contract.rows[4].error.toStdString();
    // Month 13 is not found, as the window says it, with no day checked.
    EXPECT_FALSE(contract.rows[5].error.contains(QStringLiteral("ช่อง"))) << contract.rows[5].error.toStdString();
    EXPECT_FALSE(contract.rows[5].computed());
}

}  // namespace

// A moment reads in Thai with the Buddhist Era year whatever the desktop's
// language.
TEST(ThaiDateTime, BuddhistEraAndTheMonthsName) {
    const struct {
        QDateTime at;
        const char* shown;
    } cases[] = {
        {QDateTime(QDate(2026, 12, 8), QTime(9, 5)), "8 ธันวาคม 2569 เวลา 09:05 น."},
        {QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59)), "29 กุมภาพันธ์ 2567 เวลา 23:59 น."},
    };
    for (const auto& c : cases) EXPECT_EQ(thaiDateTime(c.at), QString::fromUtf8(c.shown)) << c.shown;
}
