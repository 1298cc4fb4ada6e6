// A contract run row by row must give the very sheets the window gives for
// the same entries, and refuse, with the window's own reason, what the
// window would not print.
#include <gtest/gtest.h>

#include <QFile>

#include "FakePlatform.h"
#include "TableFiles.h"
#include "contract/Contract.h"
#include "contract/ContractSummary.h"
#include "app/Tarvon.h"
#include "indexdata/CsvImport.h"
#include "base/CsvText.h"

namespace {

const char* const kHeader =
    "formula,bid_day,bid_month,bid_year,day,month,year,installment,amount,item1,price1,item2,"
    "price2\n";

class ContractTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.table(sampleImport().table);
        ASSERT_TRUE(table.open(QStringLiteral("KTABLE.DAT"), nullptr, false));
        records = recordCount(TableFile::length(QStringLiteral("KTABLE.DAT")));
    }
    Contract run(const QString& rows) {
        return runContract(QString::fromUtf8(kHeader) + rows, table, records);
    }

    // The same row through the window: formula, bid-opening and installment
    // commands answered with the row's cells, then the print command.
    struct Window {
        QStringList sheet, messages;
    };
    Window window(const QStringList& cells) {
        FakePlatform ui;
        Tarvon app(ui);
        EXPECT_TRUE(app.Form_Load(nullptr));
        ui.reply({cells[0]});
        app.cmdFormula_Click();
        ui.reply({cells[1], cells[2], cells[3]});
        app.cmdO_Click();
        ui.reply({cells[4], cells[5], cells[6], cells[7], cells[8]});
        // As in a contract file, an empty price ends the chain like 0.
        for (int i = 9; i + 1 < cells.size(); i += 2) {
            const QString price = cells[i + 1].isEmpty() ? QStringLiteral("0") : cells[i + 1];
            ui.reply({cells[i], price});
            if (price == QLatin1String("0")) break;
        }
        app.cmdT_Click();
        EXPECT_TRUE(ui.replies.empty());
        ui.messages.clear();
        app.cmdPrint_Click();
        Window w;
        if (!ui.printerDevice.jobs.empty())
            w.sheet = FakePrinter::texts(ui.printerDevice.jobs.back());
        w.messages = ui.messages;
        return w;
    }
    static QStringList texts(const ContractRow& r) { return FakePrinter::texts(r.sheet); }

    WorkingFolder folder;
    TableFile table;
    Long records = 0;
};

QStringList cellsOf(const QString& row) { return parseCsv(row).front().cells; }

}  // namespace

class EveryFormulaInAContract : public ContractTest, public ::testing::WithParamInterface<int> {};
INSTANTIATE_TEST_SUITE_P(Formulas, EveryFormulaInAContract, ::testing::Range(1, 14));
TEST_P(EveryFormulaInAContract, GivesTheWindowsSheetLineForLine) {
    const QString row = QStringLiteral(
                            "%1,15,1,2548,31,8,2548,%1 ส่งมอบงาน,\"1,234,567.89\","
                            "ปั๊มน้ำ,\"50,000\",เครื่องปั่นไฟ,0\n")
                            .arg(GetParam());
    const Contract c = run(row);
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    ASSERT_EQ(c.rows.size(), 1u);
    ASSERT_TRUE(c.rows[0].computed()) << c.rows[0].error.toStdString();
    QStringList cells = cellsOf(row);
    const Window w = window(cells);
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("\n").toStdString();
    EXPECT_EQ(texts(c.rows[0]), w.sheet);
    EXPECT_GE(w.sheet.size(), 15);  // two-term formulas have one quotient line
}

// Rows the window would not print are refused with the window's reason.
struct Refusal {
    const char* name;
    const char* row;
    const char* says;  // in the batch's error
};
void PrintTo(const Refusal& r, std::ostream* os) { *os << r.name; }
class RefusedRow : public ContractTest, public ::testing::WithParamInterface<Refusal> {};
INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedRow,
    ::testing::Values(Refusal{"delivery month not in the table",
                              "1,15,1,2548,20,3,2549,x,1000,,,,\n",
                              "ไม่พบข้อมูลดัชนีราคาของวันส่งงวดงาน (เดือนมีนาคม พ.ศ. 2549)"},
                      Refusal{"bid month not in the table", "1,15,13,2548,20,3,2548,x,1000,,,,\n",
                              "ไม่พบข้อมูลดัชนีราคาของวันเปิดซอง (เดือนที่ 13 พ.ศ. 2548)"},
                      Refusal{"zero index of the bid month", "10,1,9,2548,20,9,2561,x,1000,,,,\n",
                              "คำนวณค่า K ไม่ได้: ค่าดัชนี PVCo"},
                      Refusal{"formula outside 1 to 13", "14,15,1,2548,20,3,2548,x,1000,,,,\n",
                              "ไม่มีสูตรหมายเลข 14"}),
    [](const auto& info) { return std::to_string(info.index); });
TEST_P(RefusedRow, WithTheWindowsReason) {
    const QString row = QString::fromUtf8(GetParam().row);
    const Contract c = run(row);
    ASSERT_EQ(c.rows.size(), 1u);
    const ContractRow& r = c.rows[0];
    EXPECT_FALSE(r.computed());
    EXPECT_TRUE(r.sheet.empty());
    EXPECT_TRUE(r.error.contains(QString::fromUtf8(GetParam().says))) << r.error.toStdString();
    const Window w = window(cellsOf(row));
    EXPECT_TRUE(w.sheet.isEmpty());
    // The window says the same (formula 14 it simply does not print).
    if (!w.messages.isEmpty()) {
        EXPECT_TRUE(w.messages.last().startsWith(r.error)) << w.messages.last().toStdString();
    }
}

TEST_F(ContractTest, ValuesThatAreNotNumbersNameRowAndColumnAndTheOthersGoOn) {
    const Contract c =
        run(QStringLiteral("3,15,1,2548,20,10,2548,a,abc,,,,\n"
                           "3,15,1,2548,20,10,2548,b,1000,pump,x,,\n"
                           "3,15,1,2548,20,10,2548,c,\"1,000\",,,,\n"
                           ",15,1,2548,20,10,2548,d,1000,,,,\n"));
    ASSERT_EQ(c.rows.size(), 4u);
    EXPECT_EQ(c.rows[0].row, 2);
    EXPECT_TRUE(c.rows[0].error.startsWith(QStringLiteral("ช่อง amount: \"abc\"")))
        << c.rows[0].error.toStdString();
    EXPECT_TRUE(c.rows[1].error.startsWith(QStringLiteral("ช่อง price1: \"x\"")))
        << c.rows[1].error.toStdString();
    EXPECT_TRUE(c.rows[2].computed());
    EXPECT_EQ(c.rows[2].netAmount, 1000.0);
    EXPECT_TRUE(c.rows[3].error.startsWith(QStringLiteral("ช่อง formula:")))
        << c.rows[3].error.toStdString();
}

TEST_F(ContractTest, OneFixedNumberFormatWhateverTheDesktop) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const Contract c = run(QStringLiteral("3,2.5,1,2548,3.5,10,2548,x,\"1,500,000.5\",,,,\n"));
    const QLocale after;  // the run leaves the desktop's format alone
    QLocale::setDefault(QLocale(QLocale::Thai, QLocale::Thailand));
    ASSERT_EQ(c.rows.size(), 1u);
    ASSERT_TRUE(c.rows[0].computed()) << c.rows[0].error.toStdString();
    EXPECT_EQ(c.rows[0].netAmount, 1500000.5);
    EXPECT_TRUE(texts(c.rows[0]).join("\n").contains(
        QStringLiteral("วันที่  2  เดือนมกราคม")));  // halves to even
    EXPECT_TRUE(texts(c.rows[0]).join("\n").contains(QStringLiteral("วันที่  4  เดือนตุลาคม")));
    EXPECT_EQ(after.language(), QLocale::German);
}

TEST_F(ContractTest, ThaiDigitsReadAsTheSameNumbers) {
    const Contract c =
        run(QStringLiteral("๓,๑๕,๑,๒๕๔๘,๒๐,๑๐,๒๕๔๘,x,\"๑,๐๐๐,๐๐๐\",ปั๊ม,\"๕๐,๐๐๐\",,\n"
                           "3,15,1,2548,20,10,2548,x,\"1,000,000\",ปั๊ม,\"50,000\",,\n"));
    ASSERT_EQ(c.rows.size(), 2u);
    ASSERT_TRUE(c.rows[0].computed()) << c.rows[0].error.toStdString();
    EXPECT_EQ(texts(c.rows[0]), texts(c.rows[1]));
    EXPECT_EQ(c.rows[0].netAmount, 950000.0);
}

TEST_F(ContractTest, AFileWithoutItsColumnsIsRefusedWhole) {
    EXPECT_FALSE(runContract(QString(), table, records).error.isEmpty());
    const Contract c =
        runContract(QStringLiteral("formula,bid_day,bid_month,bid_year,day,month,year,amount\n"),
                    table, records);
    EXPECT_TRUE(c.error.contains(QStringLiteral("installment"))) << c.error.toStdString();
}

TEST_F(ContractTest, SummaryCsvHasTheFixedColumnsAndTheRowsAsTheSheetPrints) {
    const Contract c =
        run(QStringLiteral("3,15,1,2548,20,10,2548,4,\"1,000,000\",ปั๊มน้ำ P-1,\"50,000\",,\n"
                           "3,15,1,2548,20,3,2549,\"5, งวดสุดท้าย\",1000,,,,\n"
                           "3,15,1,2548,28,2,2548,1,500000,,,,\n"));
    const QStringList lines = contractSummaryCsv(c.rows).split(QLatin1Char('\n'));
    EXPECT_EQ(lines[0],
              QStringLiteral("row,installment,formula,bid_year,bid_month,year,month,k,band,excess,"
                             "net_amount,compensation,refund,error"));
    EXPECT_EQ(lines[1],
              QStringLiteral("2,4,3,2548,1,2548,10,1.159,above,0.119,950000,113050,,"));
    EXPECT_TRUE(
        lines[2].startsWith(QStringLiteral("3,\"5, งวดสุดท้าย\",3,,,,,,,,,,,ไม่พบข้อมูลดัชนีราคา")))
        << lines[2].toStdString();
    EXPECT_EQ(lines[3], QStringLiteral("4,1,3,2548,1,2548,2,1.002,inside,,500000,,,"));
    const QString table = contractSummary(c.rows);
    EXPECT_TRUE(table.contains(QStringLiteral("รวมเงินชดเชย 113050 บาท"))) << table.toStdString();
    EXPECT_TRUE(table.contains(QStringLiteral("คำนวณได้ 2 แถว ไม่ได้คำนวณ 1 แถว")));
}

// A header written in Thai names the same columns as the English one: the
// same rows, the same sheets.
TEST_F(ContractTest, ThaiColumnNamesReadAsTheEnglishOnes) {
    const QString rows = QStringLiteral("3,15,1,2548,20,10,2548,4 งานผิวทาง,\"1,000,000\",ปั๊มน้ำ,\"50,000\",เครน,\"20,000\"\n");
    const Contract english = run(rows);
    const Contract thai = runContract(
        QStringLiteral("สูตร,วันเปิดซอง,เดือนเปิดซอง,ปีเปิดซอง,วันส่งงาน,เดือนส่งงาน,ปีส่งงาน,งวด,ค่างวด,"
                       "ครุภัณฑ์1,ราคาครุภัณฑ์1,ครุภัณฑ์ 2,ราคาครุภัณฑ์ 2\n") + rows,
        table, records);
    ASSERT_TRUE(thai.error.isEmpty()) << thai.error.toStdString();
    ASSERT_EQ(thai.rows.size(), 1u);
    ASSERT_TRUE(thai.rows[0].computed()) << thai.rows[0].error.toStdString();
    EXPECT_EQ(thai.rows[0].netAmount, 930000.0);
    EXPECT_EQ(texts(thai.rows[0]), texts(english.rows[0]));
}

// The totals a user adds up by hand: refunds below the band, and
// compensations to the satang as each sheet truncates them.
TEST_F(ContractTest, TotalsOfRefundsAndOfCompensationsToTheSatang) {
    const Contract c = run(QStringLiteral("3,15,10,2548,20,1,2548,a,\"1,000,000\",,,,\n"
                                          "3,15,1,2548,20,10,2548,b,1,,,,\n"
                                          "3,15,1,2548,20,10,2548,c,1.5,,,,\n"
                                          "3,15,1,2548,20,10,2548,d,0.5,,,,\n"));
    const QString summary = contractSummary(c.rows);
    for (const char* says : {"-82000", "รวมเงินที่ต้องคืนให้ราชการ 82000 บาท", "0.11", "0.17",
                             "0.05", "รวมเงินชดเชย 0.33 บาท"})
        EXPECT_TRUE(summary.contains(QString::fromUtf8(says))) << says << "\n"
                                                               << summary.toStdString();
    const QStringList csv = contractSummaryCsv(c.rows).split(QLatin1Char('\n'));
    EXPECT_EQ(csv[1], QStringLiteral("2,a,3,2548,10,2548,1,0.878,below,0.082,1000000,,82000,"));
    // 29 satang is not a Double: 0.29 × 100 lies just below 29, and a total
    // taken by truncating it would lose a satang on each such sheet.
    const Contract small = run(QStringLiteral("3,15,1,2548,20,10,2548,e,2.45,,,,\n"
                                              "3,15,1,2548,20,10,2548,f,2.45,,,,\n"));
    const ContractTotals totals = contractTotals(small.rows);
    EXPECT_EQ(small.rows[0].result.compensation, 0.29);
    EXPECT_EQ(totals.compensationSatang, 58);
    EXPECT_EQ(totals.computed, 2);
    EXPECT_TRUE(contractSummary(small.rows).contains(QStringLiteral("รวมเงินชดเชย 0.58 บาท")));
    EXPECT_EQ(csv[2], QStringLiteral("3,b,3,2548,1,2548,10,1.159,above,0.119,1,0.11,,"));
}

// A header as a spreadsheet user writes it, in any case; a designation
// holding a line break goes back out quoted, and the rows after it are
// numbered as the spreadsheet shows them.
TEST_F(ContractTest, HeaderInAnyCaseAndRowsNumberedAsASpreadsheetShowsThem) {
    const Contract c = runContract(
        QStringLiteral("Formula,BID_DAY,Bid_Month,bid_year,Day,MONTH,Year,Installment,Amount\n"
                       "3,15,1,2548,28,2,2548,\"1\nงานดิน\",500000\n"
                       "\n"
                       "3,15,1,2548,30,4,2548,2 งานดิน,x\n"),
        table, records);
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    ASSERT_EQ(c.rows.size(), 2u);
    EXPECT_TRUE(c.rows[0].computed()) << c.rows[0].error.toStdString();
    EXPECT_EQ(c.rows[1].row, 4);  // header, the two-line row, the blank row
    const QStringList csv = contractSummaryCsv(c.rows).split(QLatin1Char('\n'));
    EXPECT_EQ(csv[1], QStringLiteral("2,\"1"));
    EXPECT_TRUE(csv[2].startsWith(QStringLiteral("งานดิน\",3,2548,1,"))) << csv[2].toStdString();
    EXPECT_TRUE(csv[3].startsWith(QStringLiteral("4,2 งานดิน,"))) << csv[3].toStdString();
}

// ---- reading CSV as spreadsheets save it ------------------------------------------

TEST(CsvText, Utf8WithOrWithoutMarkAndWindows874AllReadTheSame) {
    const QString text = QStringLiteral("ก,\"1,500\",ปั๊มน้ำ “A”\n");
    const QByteArray utf8 = text.toUtf8();
    QByteArray cp874;
    for (QChar c : text) {
        if (c.unicode() >= 0x0E01 && c.unicode() <= 0x0E5B)
            cp874 += char(0xA1 + c.unicode() - 0x0E01);
        else if (c.unicode() == 0x201C)
            cp874 += char(0x93);
        else if (c.unicode() == 0x201D)
            cp874 += char(0x94);
        else
            cp874 += char(c.unicode());
    }
    EXPECT_EQ(decodeCsvBytes(utf8).text, text);
    EXPECT_EQ(decodeCsvBytes("\xEF\xBB\xBF" + utf8).text, text);
    EXPECT_EQ(decodeCsvBytes(cp874).text, text);
}

TEST(CsvText, QuotesLineBreaksAndBlankLines) {
    const std::vector<CsvRow> rows =
        parseCsv(QStringLiteral("a,\"b,c\",\"say \"\"hi\"\"\"\r\n\r\n\"two\nlines\",x\n,\n"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].cells, QStringList({"a", "b,c", "say \"hi\""}));
    EXPECT_EQ(rows[1].line, 3);
    EXPECT_EQ(rows[1].cells, QStringList({"two\nlines", "x"}));
    EXPECT_EQ(rows[2].line, 5);
    EXPECT_EQ(rows[2].cells, QStringList({"", ""}));
    EXPECT_EQ(csvCell(QStringLiteral("say \"hi\", ok")), QStringLiteral("\"say \"\"hi\"\", ok\""));
    EXPECT_EQ(csvCell(QStringLiteral("plain")), QStringLiteral("plain"));
}

// What spreadsheets write, read back cell for cell and row for row.
TEST(CsvText, WhatSpreadsheetsWrite) {
    struct Case {
        const char* name;
        const char* text;
        std::vector<QStringList> cells;
        std::vector<int> rows;  // as the spreadsheet numbers them
    };
    const Case cases[] = {
        {"last row without a line break", "a,b\n1,2", {{"a", "b"}, {"1", "2"}}, {1, 2}},
        {"doubled quotes inside quotes", "\"a \"\"b\"\" c\",d\n", {{"a \"b\" c", "d"}}, {1}},
        {"a line of two quotes only", "x\n\"\"\ny\n", {{"x"}, {""}, {"y"}}, {1, 2, 3}},
        {"a cell over two lines, a blank line",
         "\"one\ntwo\",x\n\n3,y\n",
         {{"one\ntwo", "x"}, {"3", "y"}},
         {1, 3}},
        {"CR LF line ends", "a,b\r\n\r\nc\r\n", {{"a", "b"}, {"c"}}, {1, 3}},
    };
    for (const Case& c : cases) {
        const std::vector<CsvRow> rows = parseCsv(QString::fromUtf8(c.text));
        ASSERT_EQ(rows.size(), c.cells.size()) << c.name;
        for (size_t r = 0; r < rows.size(); ++r) {
            EXPECT_EQ(rows[r].cells, c.cells[r]) << c.name << ", row " << r;
            EXPECT_EQ(rows[r].row, c.rows[r]) << c.name << ", row " << r;
            EXPECT_EQ(csvRowProblem(rows[r]), QString()) << c.name;
        }
    }
    // Whatever a cell holds, written and read back it is the same cell.
    for (const char* v : {"plain", "a,b", "say \"hi\"", "two\nlines", "cr\rhere", "\"\"", ""}) {
        const QString value = QString::fromUtf8(v);
        const std::vector<CsvRow> back = parseCsv(csvCell(value) + QStringLiteral(",end\n"));
        ASSERT_EQ(back.size(), 1u) << v;
        EXPECT_EQ(back[0].cells, QStringList({value, QStringLiteral("end")})) << v;
    }
}

TEST(CsvText, AMostlyUtf8FileIsReadAsUtf8AndOnlyItsForeignRowsAreRefused) {
    const QByteArray good = QStringLiteral("1,งวดแรก\n").toUtf8();
    const QByteArray foreign("2,\xA7\xC7\xB4\n");  // "งวด" saved as Windows-874
    const QByteArray good2 = QStringLiteral("3,ท่อ\n").toUtf8();
    const struct {
        QByteArray bytes;
        std::vector<bool> refused;  // by row
    } cases[] = {
        {good + foreign + good2, {false, true, false}},
        {"\xEF\xBB\xBF" + good + foreign + good2, {false, true, false}},
        {good + foreign, {false, true}},  // as many of each: still UTF-8
        {foreign + foreign + good, {false, false, true}},  // mostly Windows-874
        {good + good2, {false, false}},
    };
    for (const auto& c : cases) {
        const std::vector<CsvRow> rows = parseCsv(decodeCsvBytes(c.bytes));
        ASSERT_EQ(rows.size(), c.refused.size()) << c.bytes.toStdString();
        for (size_t r = 0; r < rows.size(); ++r) {
            const QString why = csvRowProblem(rows[r]);
            EXPECT_EQ(!why.isEmpty(), c.refused[r]) << c.bytes.toStdString() << " row " << r;
            if (c.refused[r]) {
                EXPECT_TRUE(why.contains(QStringLiteral("UTF-8"))) << why.toStdString();
            } else if (rows[r].cells[0] == QLatin1String("1")) {
                EXPECT_EQ(rows[r].cells[1], QStringLiteral("งวดแรก"));
            }
        }
    }
}

TEST(CsvText, AQuoteNeverClosedNamesItsLineAndCountsTheRowsItSwallowed) {
    const std::vector<CsvRow> rows =
        parseCsv(QStringLiteral("h,h\n1,\"500,000\n2,\"1,000\"\n\n3,y\n"));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_TRUE(csvRowProblem(rows[0]).isEmpty());
    EXPECT_EQ(rows[1].line, 2);
    EXPECT_FALSE(rows[1].swallowed);
    EXPECT_TRUE(csvRowProblem(rows[1]).contains(QStringLiteral("บรรทัดที่ 2 ไม่มีตัวปิด")))
        << csvRowProblem(rows[1]).toStdString();
    for (size_t r = 2; r < 4; ++r) {
        EXPECT_TRUE(rows[r].swallowed);
        EXPECT_TRUE(csvRowProblem(rows[r]).contains(QStringLiteral("บรรทัดที่ 2")));
    }
    EXPECT_EQ(rows[2].line, 3);
    EXPECT_EQ(rows[3].line, 5);
    EXPECT_EQ(rows[3].cells, QStringList({"3", "y"}));
    // A quoted cell may hold line breaks, and text may follow a quote that
    // closes on its own line.
    const std::vector<CsvRow> fine = parseCsv(QStringLiteral("\"two\nlines\",x\n\"a\"b,c\n"));
    ASSERT_EQ(fine.size(), 2u);
    EXPECT_TRUE(csvRowProblem(fine[0]).isEmpty() && csvRowProblem(fine[1]).isEmpty());
    EXPECT_EQ(fine[1].cells, QStringList({"ab", "c"}));
}

TEST_F(ContractTest, RowsItCannotReadAreRefusedAndCountedNotDropped) {
    const Contract c = run(QStringLiteral("3,15,1,2548,28,2,2548,\"1 งานดิน,500000\n"
                                          "3,15,1,2548,28,2,2548,สอง,500000\n"));
    ASSERT_EQ(c.rows.size(), 2u);
    EXPECT_TRUE(c.rows[0].error.contains(QStringLiteral("ไม่มีตัวปิด"))) << c.rows[0].error.toStdString();
    EXPECT_EQ(c.rows[1].row, 3);
    EXPECT_TRUE(c.rows[1].error.contains(QStringLiteral("ไม่ได้อ่าน"))) << c.rows[1].error.toStdString();
}
