#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "TableFiles.h"
#include "app/Tarvon.h"

TEST(Caption, LabelThenTheSignPositionThenDigits) {
    struct Case {
        Integer n;
        const char* caption;
    };
    for (const Case& c : {Case{1, "สูตรหมายเลข  1"}, Case{12, "สูตรหมายเลข  12"},
                          Case{0, "สูตรหมายเลข  0"}, Case{-3, "สูตรหมายเลข -3"}}) {
        EXPECT_EQ(Tarvon::caption(c.n), QString::fromUtf8(c.caption)) << c.n;
    }
}

class AppTest : public ::testing::Test {
  protected:
    WorkingFolder folder;
    FakePlatform ui;
};

TEST_F(AppTest, StartWithoutTableCreatesItEmpty) {
    Tarvon app(ui);
    ASSERT_TRUE(app.Form_Load(nullptr));
    EXPECT_TRUE(QFile::exists(folder.path(QStringLiteral("KTABLE.DAT"))));
    const CalcState& st = app.state();
    EXPECT_EQ(st.lngRecLen, 90);
    EXPECT_EQ(st.lngRecNo, 1);
    EXPECT_EQ(st.lngRecCount, 1);
    EXPECT_EQ(st.intFormulaNo, 1);
    EXPECT_EQ(st.intFileNo, app.table().fileNo());
    EXPECT_GE(st.intFileNo, 1);
    EXPECT_EQ(ui.caption, QStringLiteral("สูตรหมายเลข  1"));
    // Fixed texts start as code-0 characters, not blanks.
    EXPECT_EQ(st.strInstallment, QString(50, QChar(0)));
    EXPECT_EQ(st.strEquipName[9], QString(50, QChar(0)));
    EXPECT_EQ(st.recIndex.fields[0], QString(6, QChar(0)));
}

TEST_F(AppTest, RecordCountFollowsTheFileLength) {
    folder.table(QByteArray(1800, ' '));
    Tarvon app(ui);
    ASSERT_TRUE(app.Form_Load(nullptr));
    EXPECT_EQ(app.state().lngRecCount, 20);
}

TEST_F(AppTest, TableThatCannotBeOpenedIsAClearError) {
    QDir().mkdir(QStringLiteral("KTABLE.DAT"));
    Tarvon app(ui);
    QString error;
    EXPECT_FALSE(app.Form_Load(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("KTABLE.DAT")));
}

TEST_F(AppTest, FormulaChoiceSetsNumberAndCaption) {
    Tarvon app(ui);
    ASSERT_TRUE(app.Form_Load(nullptr));
    ui.reply({"12"});
    app.cmdFormula_Click();
    EXPECT_EQ(ui.prompts.first(), Tarvon::kFormulaPrompt);
    EXPECT_EQ(app.state().intFormulaNo, 12);
    EXPECT_EQ(ui.caption, QStringLiteral("สูตรหมายเลข  12"));
    ui.reply({" 2.5 "});
    app.cmdFormula_Click();
    EXPECT_EQ(app.state().intFormulaNo, 2);
    ui.reply({"3.5"});
    app.cmdFormula_Click();
    EXPECT_EQ(app.state().intFormulaNo, 4);
}

TEST_F(AppTest, BadFormulaReplyReAsksAndCancelKeepsTheFormula) {
    Tarvon app(ui);
    ASSERT_TRUE(app.Form_Load(nullptr));
    ui.reply({"สาม", "40000", "-3"});
    app.cmdFormula_Click();
    EXPECT_EQ(ui.prompts.size(), 3);
    EXPECT_EQ(ui.messages.size(), 2);
    EXPECT_EQ(app.state().intFormulaNo, -3);
    EXPECT_EQ(ui.caption, QStringLiteral("สูตรหมายเลข -3"));
    ui.reply({std::nullopt});
    app.mnuFormula_Click();
    EXPECT_EQ(app.state().intFormulaNo, -3);
}

TEST_F(AppTest, QuitClosesTheTableAndEndsTheProgram) {
    Tarvon app(ui);
    ASSERT_TRUE(app.Form_Load(nullptr));
    const Integer fileNo = app.state().intFileNo;
    app.mnuExit_Click();
    EXPECT_FALSE(app.table().isOpen());
    EXPECT_TRUE(ui.ended);
    EXPECT_LE(TableFile::nextFreeFileNumber(), fileNo);  // its number is free again
}

// Each menu item runs exactly its button's procedure: the same replies give
// the same prompts, messages, state and printed documents.
class MenuMatchesButton : public ::testing::TestWithParam<int> {};
TEST_P(MenuMatchesButton, SameEffects) {
    using Click = void (Tarvon::*)();
    const std::pair<Click, Click> pairs[] = {
        {&Tarvon::cmdO_Click, &Tarvon::mnuO_Click},
        {&Tarvon::cmdT_Click, &Tarvon::mnuT_Click},
        {&Tarvon::cmdFormula_Click, &Tarvon::mnuFormula_Click},
        {&Tarvon::cmdPrint_Click, &Tarvon::mnuPrint_Click},
        {&Tarvon::cmdExit_Click, &Tarvon::mnuExit_Click},
    };
    struct Outcome {
        QStringList events, lines;
        Integer formula;
        Long day;
        Double net;
        bool ended, open;
    };
    auto runWith = [](Click click) {
        WorkingFolder folder;
        folder.table(record({"2541", "6", "100", "100", "100", "0", "100"}) +
                     record({"2541", "7", "121", "115.5", "108", "0", "126"}));
        FakePlatform ui;
        Tarvon app(ui);
        EXPECT_TRUE(app.Form_Load(nullptr));
        app.state().OData[IndexColumn::I] = 120;  // so that print has something to print
        app.state().TData[IndexColumn::I] = 126;
        for (IndexColumn c : {IndexColumn::C, IndexColumn::M, IndexColumn::S}) {
            app.state().OData[c] = 100;
            app.state().TData[c] = 110;
        }
        ui.reply({"15", "6", "2541", "งวด 1", "1000", "x", "0"});
        (app.*click)();
        QStringList lines;
        for (const auto& job : ui.printerDevice.jobs) lines += FakePrinter::texts(job);
        return Outcome{ui.events,
                       lines,
                       app.state().intFormulaNo,
                       app.state().lngODay,
                       app.state().dblNetAmount,
                       ui.ended,
                       app.table().isOpen()};
    };
    const auto [button, item] = pairs[GetParam()];
    const Outcome a = runWith(button), b = runWith(item);
    EXPECT_EQ(a.events, b.events);
    EXPECT_EQ(a.lines, b.lines);
    EXPECT_EQ(a.formula, b.formula);
    EXPECT_EQ(a.day, b.day);
    EXPECT_EQ(a.net, b.net);
    EXPECT_EQ(a.ended, b.ended);
    EXPECT_EQ(a.open, b.open);
    EXPECT_TRUE(!a.events.isEmpty() || !a.lines.isEmpty() || a.ended) << "the command did nothing";
}
INSTANTIATE_TEST_SUITE_P(Commands, MenuMatchesButton, ::testing::Range(0, 5));

// ---- the print command ---------------------------------------------------------

class PrintCommand : public AppTest {
  protected:
    void SetUp() override { ASSERT_TRUE(app.Form_Load(nullptr)); }
    Tarvon app{ui};
};

TEST_F(PrintCommand, SetsTheFontAndEndsOneDocument) {
    CalcState& st = app.state();
    for (IndexColumn c : {IndexColumn::I, IndexColumn::C, IndexColumn::M, IndexColumn::S}) {
        st.OData[c] = st.TData[c] = 100;
    }
    app.cmdPrint_Click();
    EXPECT_EQ(ui.printerDevice.fontName, QStringLiteral("Browallia New"));
    EXPECT_EQ(ui.printerDevice.fontSize, 16);
    ASSERT_EQ(ui.printerDevice.jobs.size(), 1u);
    EXPECT_EQ(ui.printerDevice.jobs[0].size(), 16u);
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(PrintCommand, ErrorBeforeAnyEntryDiscardsTheDocumentAndSaysWhy) {
    app.state().TData[IndexColumn::I] = 5;
    app.cmdPrint_Click();
    EXPECT_EQ(ui.printerDevice.discards, 1);
    EXPECT_EQ(ui.printerDevice.endDocs, 0);
    EXPECT_TRUE(ui.printerDevice.jobs.empty());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].contains(QStringLiteral("Io"))) << ui.messages[0].toStdString();
    // Nothing of it is glued onto the next sheet.
    for (IndexColumn c : {IndexColumn::I, IndexColumn::C, IndexColumn::M, IndexColumn::S}) {
        app.state().OData[c] = app.state().TData[c] = 100;
    }
    app.cmdPrint_Click();
    ASSERT_EQ(ui.printerDevice.jobs.size(), 1u);
    EXPECT_EQ(ui.printerDevice.jobs[0].size(), 16u);
}

TEST_F(PrintCommand, FormulaOutsideOneToThirteenPrintsNothing) {
    for (Integer n : {Integer{0}, Integer{14}, Integer{-3}}) {
        app.state().intFormulaNo = n;
        app.cmdPrint_Click();
    }
    EXPECT_TRUE(ui.printerDevice.jobs.empty());
    EXPECT_TRUE(ui.printerDevice.pending.empty());
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(PrintCommand, NoDefaultPrinterIsAMessageBeforeAnyComputation) {
    ui.hasPrinter = false;
    app.state().sngK = 7;
    app.cmdPrint_Click();
    EXPECT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(app.state().sngK, 7.0f);
}
