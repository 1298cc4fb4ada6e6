#include <gtest/gtest.h>

#include <QFileInfo>
#include <cmath>

#include "FakePlatform.h"
#include "TableFiles.h"
#include "app/StateSummary.h"
#include "base/ReplaceFile.h"
#include "app/Tarvon.h"
#include "indexdata/UserFolder.h"
#include "indexdata/CsvImport.h"

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
        // Months whose values are held, so that print has something to print.
        app.state().lngOYear = app.state().OData.year = app.state().lngTYear =
            app.state().TData.year = 2541;
        app.state().lngOMonth = app.state().OData.month = app.state().lngTMonth =
            app.state().TData.month = 6;
        app.state().OData[IndexColumn::I] = 120;
        app.state().TData[IndexColumn::I] = 126;
        for (IndexColumn c : {IndexColumn::C, IndexColumn::M, IndexColumn::S}) {
            app.state().OData[c] = 100;
            app.state().TData[c] = 110;
        }
        ui.reply({"15", "6", "2541", "1", "1000", "x", "0"});
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
    // Both months entered and found, with these values in all four columns.
    void entered(Single o, Single t) {
        CalcState& st = app.state();
        st.lngOYear = st.OData.year = st.lngTYear = st.TData.year = 2548;
        st.lngOMonth = st.OData.month = 1;
        st.lngTMonth = st.TData.month = 10;
        for (IndexColumn c : {IndexColumn::I, IndexColumn::C, IndexColumn::M, IndexColumn::S}) {
            st.OData[c] = o;
            st.TData[c] = t;
        }
    }
    Tarvon app{ui};
};

TEST_F(PrintCommand, SetsTheFontAndEndsOneDocument) {
    entered(100, 100);
    app.cmdPrint_Click();
    EXPECT_EQ(ui.printerDevice.fontName, QStringLiteral("Browallia New"));
    EXPECT_EQ(ui.printerDevice.fontSize, 16);
    ASSERT_EQ(ui.printerDevice.jobs.size(), 1u);
    EXPECT_EQ(ui.printerDevice.jobs[0].size(), 16u);
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(PrintCommand, ErrorDiscardsTheDocumentAndSaysWhy) {
    entered(100, 100);
    app.state().OData[IndexColumn::I] = 0;
    app.cmdPrint_Click();
    EXPECT_EQ(ui.printerDevice.discards, 1);
    EXPECT_EQ(ui.printerDevice.endDocs, 0);
    EXPECT_TRUE(ui.printerDevice.jobs.empty());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].contains(QStringLiteral("Io"))) << ui.messages[0].toStdString();
    // Nothing of it is glued onto the next sheet.
    entered(100, 100);
    app.cmdPrint_Click();
    ASSERT_EQ(ui.printerDevice.jobs.size(), 1u);
    EXPECT_EQ(ui.printerDevice.jobs[0].size(), 16u);
}

// The print command refuses index values that belong to another month than
// the one typed, and says which month has no record.
struct Unmatched {
    const char* name;
    void (*change)(CalcState&);
    const char* says;
};
void PrintTo(const Unmatched& u, std::ostream* os) { *os << u.name; }
class PrintRefuses : public PrintCommand, public ::testing::WithParamInterface<Unmatched> {};
TEST_P(PrintRefuses, WithAMessageNamingTheMonth) {
    entered(100, 110);
    GetParam().change(app.state());
    const CalcState before = app.state();
    app.cmdPrint_Click();
    EXPECT_TRUE(ui.printerDevice.jobs.empty());
    EXPECT_TRUE(ui.printerDevice.pending.empty());
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].contains(QString::fromUtf8(GetParam().says)))
        << ui.messages[0].toStdString();
    EXPECT_EQ(app.state().sngK, before.sngK);  // nothing computed
}
INSTANTIATE_TEST_SUITE_P(
    Months, PrintRefuses,
    ::testing::Values(Unmatched{"nothing entered",
                                [](CalcState& st) {
                                    const Integer formula = st.intFormulaNo;
                                    st = CalcState();
                                    st.intFormulaNo = formula;
                                },
                                "ยังไม่ได้ป้อนข้อมูลวันเปิดซอง"},
                      Unmatched{"delivery not in the table",
                                [](CalcState& st) { st.lngTMonth = 9; },
                                "ไม่พบข้อมูลดัชนีราคาของวันส่งงวดงาน (เดือนกันยายน พ.ศ. 2548)"},
                      Unmatched{"bid opening not in the table",
                                [](CalcState& st) { st.lngOYear = 2547; },
                                "ไม่พบข้อมูลดัชนีราคาของวันเปิดซอง (เดือนมกราคม พ.ศ. 2547)"},
                      Unmatched{"month outside 1 to 12", [](CalcState& st) { st.lngOMonth = 13; },
                                "(เดือนที่ 13 พ.ศ. 2548)"},
                      Unmatched{"a blank record matched year 0",
                                [](CalcState& st) { st.lngOYear = st.OData.year = 0; }, "พ.ศ. 0"}),
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(PrintCommand, FailedPrintSaysWhy) {
    entered(100, 110);
    ui.printerDevice.failure = QStringLiteral("queue closed");
    app.cmdPrint_Click();
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].contains(QStringLiteral("queue closed")));
    EXPECT_TRUE(ui.messages[0].startsWith(QStringLiteral("พิมพ์รายการคำนวณไม่สำเร็จ")));
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
    EXPECT_TRUE(ui.messages[0].contains(QStringLiteral("no printer")));
    EXPECT_EQ(app.state().sngK, 7.0f);
}

// ---- whole runs on the sample table ----------------------------------------------

class SampleRun : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.table(sampleImport().table);
        ASSERT_TRUE(app.Form_Load(nullptr));
        ui.reply({"3"});
        app.cmdFormula_Click();
        ui.reply({"15", "1", "2548"});
        app.cmdO_Click();
        ui.reply({"20", "10", "2548", "first", "1,000,000", "pump", "50,000", "b", "0"});
        app.cmdT_Click();
        ASSERT_TRUE(ui.replies.empty());
    }
    QStringList printed() {
        const size_t jobs = ui.printerDevice.jobs.size();
        app.cmdPrint_Click();
        EXPECT_EQ(ui.printerDevice.jobs.size(), jobs + 1) << ui.messages.join("\n").toStdString();
        if (ui.printerDevice.jobs.size() == jobs) return {};
        return FakePrinter::texts(ui.printerDevice.jobs.back());
    }
    WorkingFolder folder;
    FakePlatform ui;
    Tarvon app{ui};
};

// A month put into the table while the window is open (the file replaced,
// as merge does, or appended to) is found by the next search.
TEST_F(SampleRun, TheNextSearchReadsTheTableAsItIsOnDisk) {
    const QByteArray sample = sampleImport().table;
    const QByteArray august = record({"2564", "8", "300", "300", "300", "300", "300", "300", "300",
                                      "300", "300", "300", "300", "300", "300"});
    for (const bool replaced : {true, false}) {
        folder.table(sample);
        app.followTable();
        const Long before = app.state().lngRecCount;
        if (replaced) {
            ASSERT_TRUE(replaceFile(QStringLiteral("KTABLE.DAT"), sample + august, nullptr));
        } else {
            QFile table(QStringLiteral("KTABLE.DAT"));
            ASSERT_TRUE(table.open(QIODevice::Append));
            table.write(august);
        }
        ui.messages.clear();
        ui.reply({"1", "8", "2564"});
        app.cmdO_Click();
        EXPECT_TRUE(ui.messages.isEmpty()) << replaced << ui.messages.join("\n").toStdString();
        EXPECT_EQ(app.state().lngRecCount, before + 1);
        EXPECT_EQ(app.state().OData[IndexColumn::M], 300.0f);
    }
}

// Nothing the user does passes in silence: a cancelled entry or formula
// choice says that the previous one stands, a print says where it went.
TEST_F(SampleRun, CancelAndPrintAreSaid) {
    const struct {
        void (Tarvon::*command)();
        std::initializer_list<std::optional<QString>> replies;
        const char* says;
    } cases[] = {
        {&Tarvon::cmdT_Click,
         {"21", "10", "2548", "second", "2,000,000", "crane", "1", std::nullopt},
         "ยกเลิกการป้อนข้อมูลงวดงานแล้ว: ข้อมูลงวดที่ป้อนไว้ก่อนหน้านี้ยังใช้อยู่"},
        {&Tarvon::mnuO_Click, {"1", std::nullopt}, "ยกเลิกการป้อนข้อมูลวันเปิดซองแล้ว"},
        {&Tarvon::cmdFormula_Click, {std::nullopt}, "ยกเลิกการกำหนดสูตรแล้ว: ยังใช้สูตรหมายเลข 3"},
    };
    const QStringList before = printed();
    for (const auto& c : cases) {
        ui.notices.clear();
        ui.reply(c.replies);
        (app.*c.command)();
        ASSERT_EQ(ui.notices.size(), 1) << c.says;
        EXPECT_TRUE(ui.notices[0].startsWith(QString::fromUtf8(c.says))) << ui.notices[0].toStdString();
        EXPECT_TRUE(ui.messages.isEmpty()) << ui.messages.join("\n").toStdString();
    }
    EXPECT_EQ(printed(), before);
    ui.printerDevice.where = QStringLiteral("to the office printer, job 7");
    ui.notices.clear();
    printed();
    EXPECT_EQ(ui.notices, QStringList{QStringLiteral("to the office printer, job 7")});
    ui.printerDevice.failure = QStringLiteral("jammed");
    ui.notices.clear();
    app.cmdPrint_Click();
    EXPECT_TRUE(ui.notices.isEmpty());
}

// "บันทึกเป็น PDF…": the same sheet as the print command, into the file the
// user picks from a suggested name; Cancel writes nothing and says so.
TEST_F(SampleRun, SaveAsPdfPrintsTheSameSheetIntoTheChosenFile) {
    const QStringList sheet = printed();
    ui.pdfPath = QStringLiteral("/home/me/kept.pdf");
    app.mnuSavePdf_Click();
    EXPECT_EQ(ui.suggestedPdf, QStringLiteral("ค่า K first ตุลาคม 2548.pdf"));
    EXPECT_EQ(ui.pdfPrinterPath, QStringLiteral("/home/me/kept.pdf"));
    ASSERT_EQ(ui.pdfDevice.jobs.size(), 1u);
    EXPECT_EQ(FakePrinter::texts(ui.pdfDevice.jobs[0]), sheet);
    ui.pdfPath.reset();
    ui.notices.clear();
    app.mnuSavePdf_Click();
    EXPECT_EQ(ui.pdfDevice.jobs.size(), 1u);
    EXPECT_EQ(ui.notices, QStringList{QStringLiteral("ยกเลิกการบันทึกเป็น PDF แล้ว")});
}

// The window's summary of the state: what the sheet will be computed from,
// and the K the sheet prints, with nothing printed and nothing changed.
TEST_F(SampleRun, SummaryShowsWhatTheSheetWillBeComputedFrom) {
    const auto text = [&] {
        QStringList all;
        for (const SummaryLine& l : stateSummary(app.state(), const_cast<TableFile&>(app.table())))
            all << l.title + QStringLiteral(": ") + l.text;
        return all.join(QLatin1Char('\n'));
    };
    const CalcState before = app.state();
    const QString summary = text();
    for (const char* says :
         {"/KTABLE.DAT\n", "เดือน (ระเบียนแรก 1/2548 ระเบียนสุดท้าย", "สูตร: สูตรที่ 3 งานทาง",
          "วันเปิดซอง: 15 มกราคม พ.ศ. 2548 (1/2548): พบในแฟ้มดัชนีราคา",
          "ดัชนีเดือนเปิดซอง: Ao = 171.1, Eo = 190.2, Fo = 239.5",
          "วันส่งงาน: 20 ตุลาคม พ.ศ. 2548 (10/2548): พบ", "งวด: first", "ค่างวด: 1,000,000.00 บาท",
          "1. pump: 50,000.00 บาท", "คงเหลือเงินในงวดนี้: 950,000.00 บาท",
          "ค่า K: 1.159 สูงกว่าช่วง 0.96 ถึง 1.04 (ส่วนเกิน 0.119): ได้รับเงินชดเชย 113,050.00 บาท"})
        EXPECT_TRUE(summary.contains(QString::fromUtf8(says))) << says << "\n" << summary.toStdString();
    EXPECT_TRUE(ui.printerDevice.jobs.empty());  // nothing printed
    EXPECT_EQ(app.state().sngK, before.sngK);  // nothing changed
    EXPECT_TRUE(printed().contains(QStringLiteral("K =  1.159 ")));

    // What the print command would refuse, the summary says instead of K.
    ui.reply({"1", "3", "2549"});
    app.cmdO_Click();
    EXPECT_TRUE(text().contains(QStringLiteral("วันเปิดซอง: 1 มีนาคม พ.ศ. 2549 (3/2549): ไม่พบในแฟ้มดัชนีราคา")))
        << text().toStdString();
    EXPECT_TRUE(text().contains(QStringLiteral("ค่า K: พิมพ์ไม่ได้: ไม่พบข้อมูลดัชนีราคาของวันเปิดซอง")));
}

TEST(SuggestedPdfName, DesignationAndDeliveryMonthWithNothingAFileNameCannotHold) {
    const struct {
        const char* designation;
        Long month, year;
        const char* name;
    } cases[] = {
        {"3/4 ฐานราก", 10, 2548, "ค่า K 3-4 ฐานราก ตุลาคม 2548.pdf"},
        {"a:b*c?\"d\"", 13, 2548, "ค่า K a-b-c-d- 13 2548.pdf"},
        {"", 0, 0, "ค่า K.pdf"},
    };
    for (const auto& c : cases) {
        CalcState st;
        st.strInstallment = fixedText(QString::fromUtf8(c.designation), kTextLength);
        st.lngTMonth = c.month;
        st.lngTYear = c.year;
        EXPECT_EQ(Tarvon::suggestedPdfName(st), QString::fromUtf8(c.name)) << c.designation;
    }
}

TEST_F(SampleRun, CancelledInstallmentLeavesTheSheetAsItWas) {
    const QStringList before = printed();
    ASSERT_TRUE(before.join("\n").contains(QStringLiteral("950000")));
    ui.reply({"21", "10", "2548", "second", "2,000,000", "crane", std::nullopt});
    app.cmdT_Click();
    EXPECT_EQ(printed(), before);
}

TEST_F(SampleRun, CancelledBidOpeningLeavesTheSheetAsItWas) {
    const QStringList before = printed();
    ui.reply({"1", "2", std::nullopt});
    app.cmdO_Click();
    EXPECT_EQ(printed(), before);
}

// A field A that reads "1e39" in the bid-opening or the delivery month: the
// sheet is refused, naming the index and its month.
TEST_F(SampleRun, IndexFieldBeyondTheSingleRangeIsRefused) {
    const struct {
        const char* record;  // year and month as the table holds them
        bool bid;
        const char* index;
        const char* month;
    } cases[] = {
        {"  2548     1", true, "Ao", "เดือนมกราคม พ.ศ. 2548"},
        {"  2548    10", false, "At", "เดือนตุลาคม พ.ศ. 2548"},
    };
    for (const auto& c : cases) {
        folder.table(sampleImport().table);
        QFile table(QStringLiteral("KTABLE.DAT"));
        ASSERT_TRUE(table.open(QIODevice::ReadWrite));
        const QByteArray all = table.readAll();
        const qsizetype at = all.indexOf(QByteArray(c.record));
        ASSERT_EQ(at % 90, 0);
        table.seek(at + 48);  // field 9: A
        table.write("  1e39");
        table.close();
        ui.reply({"15", "1", "2548"});
        app.cmdO_Click();
        ui.reply({"20", "10", "2548", "first", "1,000,000", "pump", "50,000", "b", "0"});
        app.cmdT_Click();
        ASSERT_TRUE(std::isinf((c.bid ? app.state().OData : app.state().TData)[IndexColumn::A]));
        ui.messages.clear();
        const size_t jobs = ui.printerDevice.jobs.size();
        app.cmdPrint_Click();
        EXPECT_EQ(ui.printerDevice.jobs.size(), jobs);
        ASSERT_EQ(ui.messages.size(), 1);
        EXPECT_TRUE(ui.messages[0].contains(QString::fromUtf8(c.index)) &&
                    ui.messages[0].contains(QString::fromUtf8(c.month)))
            << ui.messages[0].toStdString();
    }
}

// ---- the user's data folder (started from the menu) --------------------------------

TEST(UserFolder, FollowsXdgDataHomeWhenItIsAbsolute) {
    EXPECT_EQ(userFolder(QStringLiteral("/data/me"), QStringLiteral("/home/me")),
              QStringLiteral("/data/me/tarvon"));
    EXPECT_EQ(userFolder(QString(), QStringLiteral("/home/me")),
              QStringLiteral("/home/me/.local/share/tarvon"));
    EXPECT_EQ(userFolder(QStringLiteral("rel"), QStringLiteral("/home/me")),
              QStringLiteral("/home/me/.local/share/tarvon"));
    EXPECT_EQ(installedSample(QStringLiteral("/opt/x/usr/bin")),
              QStringLiteral("/opt/x/usr/share/tarvon/KTABLE.DAT"));
}

TEST(UserFolder, CreatedAndSeededOnceThenNeverTouched) {
    WorkingFolder folder;
    const QString sample = folder.path(QStringLiteral("sample.dat"));
    writeFile(sample, record({"2548", "1", "100"}));
    const QString data = folder.path(QStringLiteral("data/tarvon"));
    QString error;
    ASSERT_TRUE(prepareUserFolder(data, sample, &error)) << error.toStdString();
    QFile seeded(data + QStringLiteral("/KTABLE.DAT"));
    ASSERT_TRUE(seeded.open(QIODevice::ReadOnly));
    EXPECT_EQ(seeded.readAll(), record({"2548", "1", "100"}));
    seeded.close();
    // The user's own table stays as it is, even when the sample changes.
    writeFile(data + QStringLiteral("/KTABLE.DAT"), record({"2561", "9", "7"}));
    writeFile(sample, record({"2549", "2", "5"}));
    ASSERT_TRUE(prepareUserFolder(data, sample, &error));
    ASSERT_TRUE(seeded.open(QIODevice::ReadOnly));
    EXPECT_EQ(seeded.readAll(), record({"2561", "9", "7"}));
}

TEST(UserFolder, WithoutASampleTheFolderIsStillMadeAndLeftEmpty) {
    WorkingFolder folder;
    const QString data = folder.path(QStringLiteral("a/b/tarvon"));
    ASSERT_TRUE(prepareUserFolder(data, folder.path(QStringLiteral("none.dat")), nullptr));
    EXPECT_TRUE(QFileInfo(data).isDir());
    EXPECT_FALSE(QFile::exists(data + QStringLiteral("/KTABLE.DAT")));
    writeFile(folder.path(QStringLiteral("file")), "x");
    QString error;
    EXPECT_FALSE(prepareUserFolder(folder.path(QStringLiteral("file/tarvon")), QString(), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(UserFolder, AnEmptyTableIsSeededAndALinkIsLeftAlone) {
    WorkingFolder folder;
    const QString sample = folder.path(QStringLiteral("sample.dat"));
    writeFile(sample, record({"2548", "1", "100"}));
    const QString data = folder.path(QStringLiteral("tarvon"));
    ASSERT_TRUE(QDir().mkpath(data));
    const QString table = data + QStringLiteral("/KTABLE.DAT");
    writeFile(table, QByteArray());  // what a copy killed half-way used to leave
    QString error;
    ASSERT_TRUE(prepareUserFolder(data, sample, &error)) << error.toStdString();
    QFile seeded(table);
    ASSERT_TRUE(seeded.open(QIODevice::ReadOnly));
    EXPECT_EQ(seeded.readAll(), record({"2548", "1", "100"}));
    EXPECT_EQ(QDir(data).entryList(QDir::Files), QStringList{"KTABLE.DAT"});  // no temporary left

    // A link to a missing table is not replaced, and start-up says what it is.
    ASSERT_TRUE(QFile::remove(table));
    ASSERT_TRUE(QFile::link(folder.path(QStringLiteral("moved/KTABLE.DAT")), table));
    ASSERT_TRUE(prepareUserFolder(data, sample, &error));
    EXPECT_TRUE(QFileInfo(table).isSymLink());
    QDir::setCurrent(data);
    FakePlatform ui;
    Tarvon app(ui);
    EXPECT_FALSE(app.Form_Load(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("ลิงก์ไปยังแฟ้มที่ไม่มีอยู่"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("moved/KTABLE.DAT"))) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder.path(QStringLiteral("moved"))));

    // Nor is a link to an empty file written through: that file may be
    // anyone's.
    const QString empty = folder.path(QStringLiteral("elsewhere.dat"));
    writeFile(empty, QByteArray());
    ASSERT_TRUE(QFile::remove(table));
    ASSERT_TRUE(QFile::link(empty, table));
    ASSERT_TRUE(prepareUserFolder(data, sample, &error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(table).symLinkTarget(), empty);
    EXPECT_EQ(QFileInfo(empty).size(), 0);
    EXPECT_EQ(QDir(data).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
              QStringList{"KTABLE.DAT"});
}
