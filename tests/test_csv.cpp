#include <gtest/gtest.h>
#include <iconv.h>

#include <QFile>

#include "FakePlatform.h"
#include "TableFiles.h"
#include "base/ThaiCodePage.h"
#include "indexdata/CsvImport.h"
#include "indexdata/MonthSearch.h"

TEST(CsvImport, RecordsAreRightAlignedSixCharacterFields) {
    const CsvImport r = importIndexCsv(QStringLiteral(
        "year_be,month,M,S,C,G,I,F,A,E,GIP,AC,PVC,W,PE\n"
        "2548,1,228.4,226.3,173.7,335.5,194.2,239.5,171.1,190.2,332.4,121.3,153.6,,\n"
        "\n"
        "2561,12,290.5,225.5,188.9,357.3,260.5,466.6,423.5,317.2,418.1,152.2,145.8,327.9,1\n"));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.records, 2);
    ASSERT_EQ(r.table.size(), 180);
    EXPECT_EQ(r.table.left(18), QByteArray("  2548     1 228.4"));
    EXPECT_EQ(r.table.mid(78, 12), QByteArray(12, ' '));  // blanks stay blank
    EXPECT_EQ(r.table.mid(90 + 84, 6), QByteArray("     1"));
}

TEST(CsvImport, RefusalsNameTheRow) {
    struct Case {
        const char* csv;
        const char* says;
    };
    for (const Case& c :
         {Case{"2548,1,1234567,1,1,1,1,1,1,1,1,1,1,1,1\n", "แถวที่ 1"},
          Case{"2548,1,1,1,1,1,1,1,1,1,1,1,1,1,1\n2548,2,1,1\n", "แถวที่ 2"},
          Case{"2548,1,1,1,1,1,1,1,1,1,1,1,1,1,1\n2548,3,1,x,1,1,1,1,1,1,1,1,1,1,1\n", "แถวที่ 2"},
          Case{",1,1,1,1,1,1,1,1,1,1,1,1,1,1\n", "แถวที่ 1"}}) {
        const CsvImport r = importIndexCsv(QString::fromUtf8(c.csv));
        EXPECT_FALSE(r.ok) << c.csv;
        EXPECT_TRUE(r.error.startsWith(QString::fromUtf8(c.says))) << r.error.toStdString();
    }
}

// The bundled sample reads back with the values of the CSV.
TEST(CsvImport, SampleTableFindsItsMonths) {
    QFile csv(QStringLiteral(TARVON_SAMPLE_CSV));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const CsvImport r = importIndexCsv(QString::fromUtf8(csv.readAll()));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    WorkingFolder folder;
    folder.table(r.table);
    TableFile table;
    ASSERT_TRUE(table.open(QStringLiteral("KTABLE.DAT"), nullptr));
    const Long records = recordCount(TableFile::length(QStringLiteral("KTABLE.DAT")));
    EXPECT_EQ(records, r.records);
    const MonthFound f = monthSearch(table, records, 10, 2548);
    ASSERT_TRUE(f.found);
    EXPECT_EQ(f.values[IndexColumn::A], 206.4f);
    EXPECT_EQ(f.values[IndexColumn::PVC], 0.0f);  // not published that month
}

// Both Thai code pages, every byte, against the C library's own tables: a
// byte the code page leaves unassigned (DB-DE among the Thai letters too)
// is U+FFFD, so that a table or a CSV file holding one is refused.
TEST(ThaiCodePage, EveryByteAsTheCLibraryDecodesIt) {
    struct Page {
        const char* name;
        QChar (*decode)(unsigned char);
    };
    for (const Page& page : {Page{"TIS-620", decodeTis620}, Page{"CP874", decodeWindows874}}) {
        iconv_t cd = iconv_open("UTF-16LE", page.name);
        ASSERT_NE(cd, iconv_t(-1)) << page.name;
        for (int b = 1; b < 256; ++b) {
            char in = char(b);
            char16_t out = 0xFFFD;
            char *inp = &in, *outp = reinterpret_cast<char*>(&out);
            size_t inLeft = 1, outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == size_t(-1)) out = 0xFFFD;
            EXPECT_EQ(page.decode(uchar(b)).unicode(), out) << page.name << " byte " << std::hex << b;
        }
        iconv_close(cd);
    }
}
