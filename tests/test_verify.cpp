// What a printed sheet carries of its inputs, and the check of a page
// against it: the facts are enough to print the very sheet again, every
// index value reads back bit for bit, a form that is not one is refused
// with the reason; a page holds only when its text, its facts and the
// table's indices agree, and a month corrected since is named with the old
// and new index and the compensation it makes.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <cstring>
#include <random>

#include "FakePlatform.h"
#include "TableFiles.h"
#include "app/Tarvon.h"
#include "contract/Installment.h"
#include "escalation/ResultText.h"
#include "escalation/SheetFacts.h"
#include "verify/SheetCheck.h"

namespace {


Installment installment(int formula, int month) {
    Installment in;
    in.formula = Integer(formula);
    in.bidDay = 15;
    in.bidMonth = 1;
    in.bidYear = 2560;
    in.day = 20;
    in.month = month;
    in.year = 2560;
    in.designation = QStringLiteral("งวดที่ ๓ \"ฐานราก\" \\ ก  ");
    in.amount = 1234567.89;
    in.items = {
        {QStringLiteral("ปั๊มน้ำ \"P-1\""), 50000.5}, {QStringLiteral("เครน\\ญี่ปุ่น"), 25000}, {{}, 0}};
    return in;
}

// The table in a folder, open as a contract's run opens it.
struct Table {
    WorkingFolder folder;
    TableFile file;
    Long records = 0;
    explicit Table(const QByteArray& bytes = bandMonthsTable()) {
        folder.table(bytes);
        file.open(folder.path(QStringLiteral("KTABLE.DAT")), nullptr, false);
        records = recordCount(TableFile::length(file.path()));
        file.buildMonthIndex(records);
    }
};

struct Sheet {
    std::vector<print::Statement> doc;
    QString facts;
    InstallmentOutcome outcome;
};
Sheet printed(const Installment& in, Table& t) {
    CollectingPrinter p;
    Sheet s;
    s.outcome = computeInstallment(in, t.file, t.records, p);
    s.doc = p.doc;
    s.facts = p.facts;
    return s;
}

// The page's text as an extractor gives it back: a line a statement, the
// blanks its own.
QString pageText(const std::vector<print::Statement>& doc) {
    QStringList lines;
    for (const auto& s : doc)
        lines << print::plainText(s).replace(QLatin1Char(' '), QStringLiteral("  "));
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

// Every formula, K inside, below and above the band, Thai names with
// quotes and backslashes: the facts read back as written, print the very
// statements again, and the page holds against the table it was printed on.
TEST(SheetFacts, CarryEnoughToPrintTheSheetAgain) {
    Table t;
    for (int formula = 1; formula <= kFormulaCount; ++formula) {
        for (int month : {2, 3, 4}) {
            SCOPED_TRACE(
                QStringLiteral("formula %1, month %2").arg(formula).arg(month).toStdString());
            const Sheet s = printed(installment(formula, month), t);
            ASSERT_TRUE(s.outcome.computed()) << s.outcome.why.toStdString();
            QString why;
            const std::optional<SheetFacts> f = readSheetFacts(s.facts, &why);
            ASSERT_TRUE(f) << why.toStdString();
            EXPECT_EQ(sheetFactsText(*f), s.facts);
            EXPECT_EQ(f->tableName, QStringLiteral("KTABLE.DAT"));
            EXPECT_EQ(f->tableSha256,
                      QString::fromLatin1(
                          QCryptographicHash::hash(bandMonthsTable(), QCryptographicHash::Sha256).toHex()));
            CalcState st = stateFromFacts(*f);
            CollectingPrinter again;
            ASSERT_TRUE(runSheet(st, again).printed());
            EXPECT_TRUE(again.doc == s.doc);
            const PageCheck page = checkPage(1, s.facts, pageText(s.doc), t.file, t.records);
            EXPECT_TRUE(page.holds()) << page.differs.join(QLatin1Char('\n')).toStdString();
            EXPECT_TRUE(page.sameTable);
        }
    }
}

// An index is a Single: whatever its value, the form gives back its bits
// (of a zero, its value: JSON readers drop a zero's sign, which no sheet
// shows or computes with).
TEST(SheetFacts, IndexValuesAndAmountsReadBackBitForBit) {
    // 7.038531e-26 is the one Single whose shortest digits, read as a Double
    // first, round to another Single.
    std::vector<Single> values = {7.038531e-26f,   0.1f,     115.5f,     1e-7f,       3.4028235e38f,
                                  1.17549435e-38f, 1e-45f,   16777216.f, 123456.7f,   99999.99f,
                                  -0.0f,           -42.125f, 1e16f,      9.999999e15f};
    std::mt19937 random(31);
    while (values.size() < 20000) {
        const std::uint32_t bits = random();
        Single v;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v)) values.push_back(v);
    }
    SheetFacts f;
    f.formula = 7;  // two indices: I and C
    f.k = QStringLiteral("1");
    f.band = QStringLiteral("inside");
    for (size_t i = 0; i + 1 < values.size(); i += 2) {
        f.o[IndexColumn::I] = values[i];
        f.t[IndexColumn::C] = values[i + 1];
        f.amount = Double(values[i]) * 1e-3 + 0.1;
        QString why;
        const std::optional<SheetFacts> back = readSheetFacts(sheetFactsText(f), &why);
        ASSERT_TRUE(back) << why.toStdString();
        const Single o = back->o[IndexColumn::I], t = back->t[IndexColumn::C];
        ASSERT_TRUE(o == 0 ? values[i] == 0 : std::memcmp(&o, &values[i], sizeof o) == 0)
            << values[i];
        ASSERT_TRUE(t == 0 ? values[i + 1] == 0 : std::memcmp(&t, &values[i + 1], sizeof t) == 0)
            << values[i + 1];
        ASSERT_EQ(back->amount, f.amount);
    }
}

TEST(SheetFacts, AnythingElseIsRefusedWithTheReason) {
    Table t;
    const QString good = printed(installment(3, 4), t).facts;
    struct Case {
        QString from, to;
        const char* why;
    };
    for (const Case& c : {
             Case{QStringLiteral("{"), QStringLiteral("["), "JSON"},
             Case{QStringLiteral("tarvon-sheet 1"), QStringLiteral("tarvon-sheet 2"),
                  "tarvon-sheet 2"},
             Case{QStringLiteral("\"formula\":3"), QStringLiteral("\"formula\":14"), "formula"},
             Case{QStringLiteral("\"formula\":3"), QStringLiteral("\"formula\":\"3\""), "formula"},
             Case{QStringLiteral("\"day\":15"), QStringLiteral("\"day\":15.5"), "bid.day"},
             Case{QStringLiteral("\"o\":{\"A\""), QStringLiteral("\"o\":{\"M\""), "o.A"},
             Case{QStringLiteral("\"t\":{"), QStringLiteral("\"t\":{\"M\":1,"), "ดัชนีของสูตรที่ 3"},
             Case{QStringLiteral("\"band\":\"above\""), QStringLiteral("\"band\":\"far\""), "band"},
             Case{QStringLiteral(",\"compensation\""), QStringLiteral(",\"pay\""), "compensation"},
             Case{QStringLiteral("\"items\":["), QStringLiteral("\"items\":{"), "JSON"},
             Case{QStringLiteral("\"amount\":1234567.89"),
                  QStringLiteral("\"amount\":\"1234567.89\""), "amount"},
         }) {
        QString text = good;
        ASSERT_TRUE(text.contains(c.from)) << c.from.toStdString();
        text.replace(text.indexOf(c.from), c.from.size(), c.to);
        QString why;
        EXPECT_FALSE(readSheetFacts(text, &why)) << c.to.toStdString();
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.why))) << why.toStdString();
    }
}

// A page holds only when its text, its facts and the table agree: an
// altered printed figure, an altered input, an altered recorded figure each
// fails and says where.
TEST(VerifyPage, AnythingAlteredFails) {
    Table t;
    const Sheet s = printed(installment(1, 4), t);
    const QString text = pageText(s.doc);
    const QString k = sheetNumber(s.outcome.result.k);
    ASSERT_TRUE(text.contains(QStringLiteral("K  =    ") + k));

    QString altered = text;
    altered.replace(QStringLiteral("K  =    ") + k, QStringLiteral("K  =    1.999"));
    PageCheck p = checkPage(1, s.facts, altered, t.file, t.records);
    EXPECT_FALSE(p.holds());
    EXPECT_EQ(p.differs.value(0),
              QStringLiteral("คำนวณใหม่ได้ \"K = %1\" แต่หน้านี้พิมพ์ไว้ \"K = 1.999\"").arg(k));

    QString facts = s.facts;
    facts.replace(QStringLiteral("\"amount\":1234567.89"), QStringLiteral("\"amount\":1334567.89"));
    p = checkPage(1, facts, text, t.file, t.records);
    EXPECT_FALSE(p.holds());
    EXPECT_TRUE(p.differs.value(0).contains(QStringLiteral("1334567.89")))
        << p.differs.value(0).toStdString();

    facts = s.facts;
    facts.replace(QStringLiteral("\"k\":\"%1\"").arg(k), QStringLiteral("\"k\":\"1.999\""));
    p = checkPage(1, facts, text, t.file, t.records);
    EXPECT_EQ(
        p.differs,
        QStringList{QStringLiteral("ค่า K ที่บันทึกไว้ในแฟ้มคือ \"1.999\" แต่คำนวณใหม่ได้ \"%1\"").arg(k)});

    // An index changed in the facts and on the page alike, consistently:
    // the table still says what the month's index was.
    Table other(bandMonthRecord(1, 1) + bandMonthRecord(4, 1.13));
    const Sheet forged = printed(installment(1, 4), other);
    p = checkPage(1, forged.facts, pageText(forged.doc), t.file, t.records);
    EXPECT_FALSE(p.holds());
    EXPECT_TRUE(p.differs.isEmpty());
    ASSERT_EQ(p.sheets.size(), 1u);
    EXPECT_EQ(p.sheets[0].changed.size(), 4u);  // I, C, M, S of 4/2560

    for (const QString& none : {QString(), QStringLiteral("not a form")}) {
        p = checkPage(1, none, text, t.file, t.records);
        EXPECT_FALSE(p.holds());
        EXPECT_EQ(p.differs.size(), 1) << p.differs.join(QLatin1Char('\n')).toStdString();
    }
}

// A month corrected after the sheet was printed: the index is named with
// its old and new value, and the sheet computed with the new one is the
// window's sheet on the corrected table. A correction of an index the
// formula does not read leaves the page holding.
TEST(VerifyPage, AMonthCorrectedSinceIsNamedWithTheCompensationItMakes) {
    Table t;
    const Sheet s = printed(installment(1, 4), t);
    QByteArray corrected = bandMonthsTable();
    const int iAt = 3 * 90 + 12 + 6 * int(IndexColumn::I);  // I of 4/2560
    corrected.replace(iAt, 6, QByteArray("145.5").rightJustified(6));
    Table now(corrected);
    const PageCheck p = checkPage(1, s.facts, pageText(s.doc), now.file, now.records);
    EXPECT_FALSE(p.holds());
    EXPECT_TRUE(p.differs.isEmpty()) << p.differs.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(p.sheets.size(), 1u);
    const SheetCheck& c = p.sheets[0];
    ASSERT_EQ(c.changed.size(), 1u);
    EXPECT_EQ(c.changed[0].symbol, QStringLiteral("I"));
    EXPECT_EQ(c.changed[0].month, 4);
    EXPECT_EQ(c.changed[0].was, Single(140 * 1.125));
    EXPECT_EQ(c.changed[0].now, 145.5f);
    const Sheet window = printed(installment(1, 4), now);
    ASSERT_TRUE(c.nowComputed);
    EXPECT_EQ(c.now.k, window.outcome.result.k);
    EXPECT_EQ(paidAmount(c.now), window.outcome.result.compensation);
    EXPECT_EQ(paidAmount(c.result), s.outcome.result.compensation);
    EXPECT_NE(paidAmount(c.now), paidAmount(c.result));

    QByteArray unused = bandMonthsTable();
    unused.replace(3 * 90 + 12 + 6 * int(IndexColumn::Col4), 6, QByteArray("1").rightJustified(6));
    Table g(unused);
    const PageCheck q = checkPage(1, s.facts, pageText(s.doc), g.file, g.records);
    EXPECT_TRUE(q.holds());
    EXPECT_FALSE(q.sameTable);

    Table gone(bandMonthRecord(1, 1));
    const PageCheck r = checkPage(1, s.facts, pageText(s.doc), gone.file, gone.records);
    EXPECT_FALSE(r.holds());
    EXPECT_EQ(r.sheets[0].notInTable, QStringList{QStringLiteral("4/2560")});
}

// Sheets printed without a page break share a page: both are checked.
TEST(VerifyPage, TwoSheetsOnOnePage) {
    Table t;
    const Sheet a = printed(installment(2, 3), t), b = printed(installment(9, 4), t);
    std::vector<print::Statement> both = a.doc;
    both.insert(both.end(), b.doc.begin(), b.doc.end());
    const PageCheck p =
        checkPage(1, a.facts + QLatin1Char('\n') + b.facts, pageText(both), t.file, t.records);
    EXPECT_TRUE(p.holds()) << p.differs.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(p.sheets.size(), 2u);
    EXPECT_FALSE(checkPage(1, a.facts, pageText(both), t.file, t.records).holds());
}

// The window's print command hands the sheet's facts to the printer,
// naming the table the window has open.
TEST(VerifyPage, TheWindowHandsTheFactsOn) {
    Table t;
    FakePlatform ui;
    Tarvon app(ui);
    ASSERT_TRUE(app.Form_Load(nullptr));
    ui.reply({QStringLiteral("1")});
    app.cmdFormula_Click();
    ui.reply({QStringLiteral("15"), QStringLiteral("1"), QStringLiteral("2560")});
    app.cmdO_Click();
    ui.reply({QStringLiteral("20"), QStringLiteral("4"), QStringLiteral("2560"),
              QStringLiteral("3"), QStringLiteral("1000000"), QString(), QStringLiteral("0")});
    app.cmdT_Click();
    app.cmdPrint_Click();
    ASSERT_EQ(ui.printerDevice.jobs.size(), 1u);
    ASSERT_EQ(ui.printerDevice.facts.size(), 1);
    const PageCheck p = checkPage(1, ui.printerDevice.facts[0], pageText(ui.printerDevice.jobs[0]),
                                  t.file, t.records);
    EXPECT_TRUE(p.holds()) << p.differs.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(p.sameTable);
}
