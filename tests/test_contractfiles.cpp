// Contract and index CSV files as users save them: the encodings a
// spreadsheet writes, headings in Thai or named twice, line ends of every
// kind; and a contract's month index on tables with records no table
// should hold.
#include <gtest/gtest.h>

#include "TableFiles.h"
#include "base/CsvText.h"
#include "contract/Contract.h"
#include "contract/ContractSummary.h"
#include "indexdata/CsvImport.h"

namespace {

const char* const kHeader =
    "formula,bid_day,bid_month,bid_year,day,month,year,installment,amount,item1,price1\n";

// `text` as Windows-874 writes it (Thai letters and ASCII only).
QByteArray windows874(const QString& text) {
    QByteArray out;
    for (QChar c : text)
        out += c.unicode() >= 0x0E01 && c.unicode() <= 0x0E5B ? char(0xA1 + c.unicode() - 0x0E01)
                                                               : char(c.unicode());
    return out;
}

class ContractFiles : public ::testing::Test {
  protected:
    void useTable(const QByteArray& bytes) {
        table.close();
        folder.table(bytes);
        ASSERT_TRUE(table.open(QStringLiteral("KTABLE.DAT"), nullptr, false));
        records = recordCount(TableFile::length(QStringLiteral("KTABLE.DAT")));
    }
    void SetUp() override { useTable(sampleImport().table); }
    Contract run(const QByteArray& bytes) { return runContract(decodeCsvBytes(bytes), table, records); }

    WorkingFolder folder;
    TableFile table;
    Long records = 0;
};

}  // namespace

// A record read as a month no table should hold (a typo of 13, or one the
// month index could once mistake for another month) stands before the
// months the contract needs: each row still finds its own months, as the
// window's search finds them, and computes the very same sheet.
TEST_F(ContractFiles, ATyposMonthNeverHidesTheMonthsAContractNeeds) {
    const QByteArray rows = QByteArray(kHeader) +
                            "3,15,1,2548,28,2,2548,1 งานดิน,500000,,\n"
                            "3,15,12,2547,20,1,2548,2 งานทาง,500000,,\n";
    // December 2547, for the second row's bid opening, before the sample.
    const QByteArray months = record({"2547", "12", "200", "200", "200", "200", "200", "200", "200",
                                      "200", "200", "200", "200", "200"}) +
                              sampleImport().table;
    useTable(months);
    const Contract clean = run(rows);
    ASSERT_EQ(clean.rows.size(), 2u);
    for (const ContractRow& r : clean.rows) ASSERT_TRUE(r.computed()) << r.error.toStdString();
    for (const char* typo : {"13", "100001", "12.6", "1e5", "-99999"}) {
        useTable(record({"2547", typo, "999", "999", "999", "999", "999", "999", "999", "999",
                         "999", "999", "999", "999", "999"}) +
                 months);
        const Contract c = run(rows);
        ASSERT_EQ(c.rows.size(), 2u) << typo;
        for (size_t r = 0; r < 2; ++r) {
            EXPECT_TRUE(c.rows[r].computed()) << typo << ": " << c.rows[r].error.toStdString();
            EXPECT_EQ(c.rows[r].result.k, clean.rows[r].result.k) << typo << ", row " << r;
            EXPECT_EQ(c.rows[r].result.compensation, clean.rows[r].result.compensation) << typo;
            EXPECT_EQ(c.rows[r].result.refund, clean.rows[r].result.refund) << typo;
        }
    }
}

// A heading naming a column the rows are read by twice is refused as a
// whole, naming both headings as written; headings the rows do not use, and
// empty ones, may repeat.
TEST_F(ContractFiles, AColumnNamedTwiceIsRefusedNamingBothHeadings) {
    const char* const rows = "3,15,1,2548,28,2,2548,x,500000,3,pump,1000,y,2\n";
    struct Case {
        const char* header;
        const char* first;
        const char* second;
    };
    for (const Case& c :
         {Case{"formula,bid_day,bid_month,bid_year,day,month,year,installment,amount,สูตร,item1,price1,x,y",
               "formula", "สูตร"},
          Case{"formula,bid_day,bid_month,bid_year,day,month,year,installment,amount,x,item1,price1,x,ค่างวด",
               "amount", "ค่างวด"},
          Case{"formula,bid_day,bid_month,bid_year,day,month,year,installment,amount,x,item1,price1,item1,y",
               "item1", "item1"},
          Case{"formula,bid_day,bid_month,bid_year,day,month,year,installment,amount,x,ครุภัณฑ์ 1,price1,"
               "ITEM1,y",
               "ครุภัณฑ์ 1", "ITEM1"}}) {
        const Contract r = run(QByteArray(c.header) + "\n" + rows);
        EXPECT_TRUE(r.rows.empty()) << c.header;
        EXPECT_TRUE(r.error.contains(QStringLiteral("\"%1\"").arg(QString::fromUtf8(c.first))) &&
                    r.error.contains(QStringLiteral("\"%1\"").arg(QString::fromUtf8(c.second))))
            << c.header << "\n"
            << r.error.toStdString();
    }
    const Contract fine = run(
        "formula,bid_day,bid_month,bid_year,day,month,year,installment,amount,note,note,,\n"
        "3,15,1,2548,28,2,2548,x,500000,a,b,,\n");
    EXPECT_TRUE(fine.error.isEmpty()) << fine.error.toStdString();
    ASSERT_EQ(fine.rows.size(), 1u);
    EXPECT_TRUE(fine.rows[0].computed()) << fine.rows[0].error.toStdString();
}

// Thai words that happen to be valid UTF-8 in the Thai code page: a file
// whose only Thai they are is Windows-874, and says so; a UTF-8 file stays
// UTF-8, even one whose only letters beyond ASCII are not Thai.
TEST(CsvEncoding, ThaiThatLooksLikeUtf8IsReadAsTheThaiCodePage) {
    for (const char* word : {"รถ", "หก", "ลด", "สด", "ยก", "รถ ลด"}) {
        const QString text = QStringLiteral("1,%1,2000\n").arg(QString::fromUtf8(word));
        const CsvText read = decodeCsvBytes(windows874(text));
        EXPECT_EQ(read.text, text) << word;
        EXPECT_EQ(read.encoding, CsvEncoding::Windows874) << word;
        EXPECT_FALSE(csvEncodingNote(read).isEmpty()) << word;
        EXPECT_TRUE(read.otherEncodingLines.empty()) << word;
    }
    for (const char* utf8 : {"1,หัก รถ,2000\n", "1,crane – 2 t,2000\n", "1,“pump”,3\n",
                             "\xEF\xBB\xBF" "1,\xC3\xB6,2\n"}) {
        const CsvText read = decodeCsvBytes(QByteArray(utf8));
        EXPECT_EQ(read.encoding, CsvEncoding::Utf8) << utf8;
        EXPECT_EQ(read.text, QString::fromUtf8(QByteArray(utf8).replace("\xEF\xBB\xBF", "")))
            << utf8;
        EXPECT_TRUE(csvEncodingNote(read).isEmpty()) << utf8;
    }
}

// In a Windows-874 contract a row saved as UTF-8 is refused, shown as what
// it says rather than garbled, and the rows after it are computed; the
// same for a UTF-8 contract with a Windows-874 row, even one whose Thai
// happens to be valid UTF-8.
TEST_F(ContractFiles, ARowInTheOtherEncodingIsRefusedShownAsItIsAndTheNextRowComputed) {
    const QString before = QStringLiteral("3,15,1,2548,28,2,2548,1 งานดิน,500000,,\n");
    const QString odd = QStringLiteral("3,15,1,2548,28,2,2548,2 หลังคา,500000,,\n");
    const QString after = QStringLiteral("3,15,1,2548,30,4,2548,3 ถนน,600000,,\n");
    const QString oddLooksUtf8 = QStringLiteral("3,15,1,2548,28,2,2548,2 รถ,500000,,\n");
    struct Case {
        const char* name;
        QByteArray bytes;
        QString refusedShows;
    };
    const Case cases[] = {
        {"Windows-874 with a UTF-8 row",
         kHeader + windows874(before) + odd.toUtf8() + windows874(after) + windows874(after),
         QStringLiteral("2 หลังคา")},
        {"UTF-8 with a Windows-874 row",
         kHeader + before.toUtf8() + windows874(odd) + after.toUtf8() + after.toUtf8(),
         QStringLiteral("2 หลังคา")},
        {"UTF-8 with a Windows-874 row that is valid UTF-8",
         kHeader + before.toUtf8() + windows874(oddLooksUtf8) + after.toUtf8() + after.toUtf8(),
         QStringLiteral("2 รถ")},
    };
    for (const Case& c : cases) {
        const Contract r = run(c.bytes);
        ASSERT_EQ(r.rows.size(), 4u) << c.name;
        EXPECT_TRUE(r.rows[0].computed()) << c.name << ": " << r.rows[0].error.toStdString();
        EXPECT_FALSE(r.rows[1].computed()) << c.name;
        EXPECT_TRUE(r.rows[1].error.contains(QStringLiteral("UTF-8 ปนกับ Windows-874")))
            << c.name << ": " << r.rows[1].error.toStdString();
        EXPECT_EQ(r.rows[1].installment, c.refusedShows) << c.name;
        EXPECT_TRUE(r.rows[2].computed()) << c.name << ": " << r.rows[2].error.toStdString();
        EXPECT_EQ(r.rows[2].installment, QStringLiteral("3 ถนน")) << c.name;
        const QString summary = contractSummary(r.rows) + contractSummaryCsv(r.rows);
        EXPECT_TRUE(summary.contains(c.refusedShows)) << c.name;
        EXPECT_FALSE(summary.contains(QChar(QChar::ReplacementCharacter))) << c.name;
    }
}

// A spreadsheet's "Unicode text" (UTF-16 with its byte-order mark, either
// order) is refused as a whole, saying how to save it; so is such an
// index CSV.
TEST_F(ContractFiles, AFileSavedAsUtf16IsRefusedSayingHowToSaveIt) {
    const QString text = QString::fromUtf8(kHeader) + QStringLiteral("3,15,1,2548,28,2,2548,1 งานดิน,500000,,\n");
    QByteArray le("\xFF\xFE"), be("\xFE\xFF");
    for (QChar c : text) {
        le += char(c.unicode() & 0xFF);
        le += char(c.unicode() >> 8);
        be += char(c.unicode() >> 8);
        be += char(c.unicode() & 0xFF);
    }
    for (const QByteArray& bytes : {le, be}) {
        const Contract c = run(bytes);
        EXPECT_TRUE(c.rows.empty());
        EXPECT_TRUE(c.error.contains(QStringLiteral("UTF-16")) &&
                    c.error.contains(QStringLiteral("CSV UTF-8")) &&
                    c.error.contains(QStringLiteral("Windows-874")))
            << c.error.toStdString();
        const CsvImport index = importIndexCsv(decodeCsvBytes(bytes));
        EXPECT_FALSE(index.ok);
        EXPECT_TRUE(index.error.contains(QStringLiteral("UTF-16"))) << index.error.toStdString();
    }
}

// Windows line ends around a cell that holds a line break of its own: the
// rows a spreadsheet shows, nothing refused, the cell's text as with plain
// line ends.
TEST(CsvText, CrLfFileWithAQuotedCellOverTwoLines) {
    const QString lf = QStringLiteral("h1,h2,h3\n1,\"1\nงานดิน\",x\n\"a,b\",\"two\n\nbreaks\",y\n3,z,\"last\ncell\"\n");
    QString crlf = lf;
    crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    const std::vector<CsvRow> expected = parseCsv(lf);
    const std::vector<CsvRow> rows = parseCsv(crlf);
    ASSERT_EQ(expected.size(), 4u);
    ASSERT_EQ(rows.size(), 4u);
    const int spreadsheetRows[] = {1, 2, 3, 4};
    for (size_t r = 0; r < rows.size(); ++r) {
        EXPECT_EQ(rows[r].cells, expected[r].cells) << "row " << r;
        EXPECT_EQ(rows[r].row, spreadsheetRows[r]);
        EXPECT_EQ(rows[r].line, expected[r].line);
        EXPECT_EQ(csvRowProblem(rows[r]), QString()) << "row " << r;
    }
    EXPECT_EQ(rows[1].cells[1], QStringLiteral("1\nงานดิน"));
}

// An index CSV headed in Thai reads as one headed in English.
TEST(CsvImport, AThaiHeadingReadsAsTheEnglishOne) {
    const QString rows = QStringLiteral(
        "2548,1,228.4,226.3,173.7,335.5,194.2,239.5,171.1,190.2,332.4,121.3,153.6,,\n"
        "2548,2,229.4,226.3,173.7,335.5,194.2,239.5,171.1,190.2,332.4,121.3,153.6,,\n");
    const CsvImport english = importIndexCsv(kTableCsvHeader.join(QLatin1Char(',')) + u'\n' + rows);
    ASSERT_TRUE(english.ok) << english.error.toStdString();
    for (const QString& year : {QStringLiteral("ปี พ.ศ."), QStringLiteral("ปีพ.ศ."), QStringLiteral("ปี")}) {
        QStringList heading = kTableCsvThaiHeader;
        heading[0] = year;
        const CsvImport thai = importIndexCsv(heading.join(QLatin1Char(',')) + u'\n' + rows);
        ASSERT_TRUE(thai.ok) << year.toStdString() << ": " << thai.error.toStdString();
        EXPECT_EQ(thai.table, english.table);
        EXPECT_EQ(thai.records, 2);
    }
    EXPECT_EQ(kTableCsvThaiHeader.mid(2), kTableCsvHeader.mid(2));
}
