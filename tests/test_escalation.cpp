#include <gtest/gtest.h>

#include <cmath>

#include "SheetRun.h"
#include "escalation/PrintModel.h"

using enum IndexColumn;
using print::Col;

// ---- number formatting -------------------------------------------------------

struct FormatCase {
    QString printed;
    QString expected;
};
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.expected.toStdString(); }
class NumberFormat : public ::testing::TestWithParam<FormatCase> {};
TEST_P(NumberFormat, MatchesThePrintedForm) { EXPECT_EQ(GetParam().printed, GetParam().expected); }
using print::formatNumber;
INSTANTIATE_TEST_SUITE_P(
    Numbers, NumberFormat,
    ::testing::Values(
        FormatCase{formatNumber(0.157f), " 0.157 "},
        FormatCase{formatNumber(24691.3578), " 24691.3578 "},
        FormatCase{formatNumber(1.1f), " 1.1 "}, FormatCase{formatNumber(1.1), " 1.1 "},
        FormatCase{formatNumber(120.0f), " 120 "}, FormatCase{formatNumber(-3.5f), "-3.5 "},
        FormatCase{formatNumber(Long{-3}), "-3 "}, FormatCase{formatNumber(Long{2541}), " 2541 "},
        FormatCase{formatNumber(-0.25), "-0.25 "}, FormatCase{formatNumber(0.0), " 0 "},
        FormatCase{formatNumber(-0.0), " 0 "},
        FormatCase{formatNumber(123456789.0f), " 1.234568E+08 "},
        FormatCase{formatNumber(1234567.0f), " 1234567 "},
        FormatCase{formatNumber(12345678.0f), " 1.234568E+07 "},
        FormatCase{formatNumber(0.00001f), " 1E-05 "},
        FormatCase{formatNumber(0.0001f), " 0.0001 "},
        FormatCase{formatNumber(-0.00001234), "-1.234E-05 "},
        FormatCase{formatNumber(1e15), " 1E+15 "},
        FormatCase{formatNumber(123456789012345.0), " 123456789012345 "},
        FormatCase{formatNumber(30864.19725), " 30864.19725 "},
        FormatCase{formatNumber(1e100), " 1E+100 "},
        FormatCase{formatNumber(1000000.0), " 1000000 "},
        FormatCase{formatNumber(123.45f), " 123.45 "},
        FormatCase{formatNumber(9999999.5f), " 1E+07 "},
        FormatCase{formatNumber(0.1 + 0.2), " 0.3 "}));

TEST(TextPage, ColumnsAndThePositionBeyondAColumn) {
    print::TextPage page;
    page.print({});
    page.print({Col{5}, QStringLiteral("ab"), Col{10}, QStringLiteral("c")});
    page.print({Col{3}, QStringLiteral("abcdef"), Col{5}, QStringLiteral("x")});
    page.print({Col{3}, QStringLiteral("ab"), Col{5}, QStringLiteral("x")});  // at, not beyond
    EXPECT_EQ(page.lines(), QStringList({"", "    ab   c", "  abcdef", "    x", "  abx"}));
}

TEST(TextPage, ThaiMarksTakeNoCell) {
    EXPECT_EQ(cellWidth(QStringLiteral("ที่")), 1);
    EXPECT_EQ(cellWidth(QStringLiteral("บาท")), 3);
    print::TextPage page;
    page.print({Col{1}, QStringLiteral("ที่"), Col{3}, QStringLiteral("x")});
    EXPECT_EQ(page.lines().first(), QStringLiteral("ที่ x"));
}

// ---- the arithmetic ------------------------------------------------------------

TEST(Arithmetic, TermFloorsTheDoubleProduct) {
    EXPECT_EQ(weightedTerm(1000, 0.15), 0.15f);
    EXPECT_EQ(weightedTerm(1050, 0.15), 0.157f);
    EXPECT_EQ(weightedTerm(1300, 0.35), 0.454f);
    EXPECT_EQ(weightedTerm(1000, 0.30), 0.3f);
    EXPECT_EQ(weightedTerm(-2500, 0.10), -0.25f);
}

TEST(Arithmetic, RatioFloorsTowardMinusInfinity) {
    EXPECT_EQ(indexRatio(126, 120, "I"), 1050);
    EXPECT_EQ(indexRatio(110, 120, "I"), 916);
    EXPECT_EQ(indexRatio(-1.0025f, 1, "I"), -1003);
    EXPECT_EQ(indexRatio(32767, 1000, "I"), 32767);
}

TEST(Arithmetic, FailuresNameTheirCause) {
    struct Case {
        Single t, o;
        CalcError::Kind kind;
    };
    for (const Case& c :
         {Case{5, 0, CalcError::Kind::DivisionByZero}, Case{0, 0, CalcError::Kind::Overflow},
          Case{32768, 1000, CalcError::Kind::Overflow}, Case{-40, 1, CalcError::Kind::Overflow},
          Case{INFINITY, 1, CalcError::Kind::Overflow}}) {
        try {
            indexRatio(c.t, c.o, QStringLiteral("C"));
            ADD_FAILURE() << "no error for " << c.t << "/" << c.o;
        } catch (const CalcError& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.t << "/" << c.o;
            EXPECT_TRUE(e.message().contains(QStringLiteral("Ct"))) << e.message().toStdString();
        }
    }
}

TEST(Arithmetic, BandLimitsAreTheNearestSingles) {
    EXPECT_EQ(bandOf(0.96f), Band::Inside);
    EXPECT_EQ(bandOf(1.04f), Band::Inside);
    EXPECT_EQ(bandOf(std::nextafter(0.96f, 0.0f)), Band::Below);
    EXPECT_EQ(bandOf(std::nextafter(1.04f, 2.0f)), Band::Above);
    EXPECT_EQ(excessOf(1.052f, Band::Above), 12);
    EXPECT_EQ(excessOf(0.94f, Band::Below), 20);
}

TEST(Arithmetic, ExcessRoundsHalvesToEven) {
    // 1062.5 - 1040 and 960 - 937.5 are both 22.5: 22, not 23.
    EXPECT_EQ(excessOf(1.0625f, Band::Above), 22);
    EXPECT_EQ(excessOf(0.9375f, Band::Below), 22);
}

TEST(Arithmetic, IndexValueThatIsNotFiniteNamesTheIndexAndMonth) {
    EXPECT_NO_THROW(checkIndexValue(123.4f, QStringLiteral("Io"), QStringLiteral("m")));
    for (Single v : {INFINITY, -INFINITY, NAN}) {
        try {
            checkIndexValue(v, QStringLiteral("Io"), QStringLiteral("เดือนมกราคม พ.ศ. 2548"));
            ADD_FAILURE() << "no error for " << v;
        } catch (const CalcError& e) {
            EXPECT_EQ(e.kind(), CalcError::Kind::BadIndex);
            EXPECT_TRUE(e.message().contains(QStringLiteral("Io")));
            EXPECT_TRUE(e.message().contains(QStringLiteral("เดือนมกราคม พ.ศ. 2548")));
        }
    }
}

TEST(Arithmetic, CompensationIsFlooredToSatangAndRangeChecked) {
    EXPECT_EQ(compensationSatang(25, 1234567.89), 3086419);
    EXPECT_EQ(compensationSatang(25, -1234567.89), -3086420);
    EXPECT_EQ(print::formatNumber(refundOf(25, 1234567.89)), QStringLiteral(" 30864.19725 "));
    EXPECT_EQ(compensationSatang(10, 2147483647.0), 2147483647);
    EXPECT_THROW(compensationSatang(100, 214748365.0), CalcError);
    EXPECT_THROW(compensationSatang(100, -214748365.0), CalcError);
}

// ---- formula 1, the worked examples ----------------------------------------------

const Values kRise = {{I, {120, 126}}, {C, {100, 108}}, {M, {110, 121}}, {S, {105, 115.5f}}};
const Values kFall = {{I, {120, 110}}, {C, {100, 95}}, {M, {110, 100}}, {S, {105, 100}}};

TEST(Formula1, KAboveTheBandGivesCompensation) {
    SheetRun r;
    r.values(kRise).net(1000000).run(1);
    ASSERT_FALSE(r.failed) << r.error.toStdString();
    EXPECT_EQ(r.st.intRatio, (std::array<Integer, 5>{1050, 1080, 1100, 1100, 0}));
    EXPECT_EQ(r.st.sngTerm[0], 0.157f);
    EXPECT_EQ(r.st.sngK, 1.065f);
    EXPECT_EQ(r.st.intExcess, 25);
    EXPECT_EQ(r.st.lngCompensation, 2500000);
    EXPECT_EQ(r.line(8), dots("Io·=··120··,·Co·=··100··,·Mo·=··110··,·So·=··105·"));
    EXPECT_EQ(r.line(13),
              dots("K·=·0.25·+·0.15(·1.05·)·+·0.10(·1.08·)·+·0.40(·1.1·)·+·0.10(·1.1·)"));
    EXPECT_EQ(r.line(14), dots("K·=·0.25·+··0.157··+··0.108··+··0.44··+··0.11·"));
    EXPECT_EQ(r.line(15), dots("K·=··1.065·"));
    EXPECT_EQ(r.line(16), dots("ค่า·K·สูงกว่า·1.04·=··0.025··จะได้รับค่าชดเชย"));
    EXPECT_EQ(r.lines().size(), 19);
    EXPECT_EQ(r.line(18), dots("เงินที่ใช้คำนวณค่าชดเชย=·1000000··บาท"));
    EXPECT_EQ(r.line(19), dots("จะได้รับเงินชดเชย·=··0.025··x··1000000·=·25000··บาท"));
    // The compensation line's columns: = at 70, the amount at 75, บาท at 90.
    EXPECT_EQ(r.printer.pending.back(),
              (print::Statement{Col{15}, QStringLiteral("จะได้รับเงินชดเชย = "), 0.025f,
                                QStringLiteral(" x "), 1000000.0, Col{70}, QStringLiteral("="),
                                Col{75}, 25000.0, Col{90}, QStringLiteral(" บาท")}));
}

TEST(Formula1, KBelowTheBandGivesAnUntruncatedRefund) {
    SheetRun r;
    r.values(kFall).net(1234567.89).run(1);
    EXPECT_EQ(r.st.intRatio, (std::array<Integer, 5>{916, 950, 909, 952, 0}));
    EXPECT_EQ(r.st.sngK, 0.94f);
    EXPECT_EQ(r.st.intExcess, 20);
    EXPECT_EQ(r.line(14), dots("K·=·0.25·+··0.137··+··0.095··+··0.363··+··0.095·"));
    EXPECT_EQ(r.line(16), dots("ค่า·K·ต่ำกว่า·0.96·=··0.02··ต้องคืนเงินให้แก่ราชการ"));
    EXPECT_EQ(r.lines().last(), dots("ต้องคืนเงินให้ราชการ·=··0.02··x··1234567.89·=·24691.3578··บาท"));
}

TEST(Formula1, KDisplayedAsOnePointZeroFourCanCompareAboveTheBand) {
    SheetRun r;
    r.values({{I, {1000, 908}}, {C, {1000, 902}}, {M, {1000, 1103}}, {S, {1000, 1233}}})
        .net(1000)
        .run(1);
    EXPECT_EQ(r.line(14), dots("K·=·0.25·+··0.136··+··0.09··+··0.441··+··0.123·"));
    EXPECT_EQ(r.line(15), dots("K·=··1.04·"));
    EXPECT_EQ(r.st.intExcess, 0);
    EXPECT_EQ(r.st.lngCompensation, 0);
    EXPECT_TRUE(r.line(16).contains(QStringLiteral("สูงกว่า")));
}

TEST(Formula1, InsideTheBandEndsAtLineSixteenAndKeepsEarlierResults) {
    SheetRun r;
    r.values(kRise).net(1000000).run(1);
    r.values({{I, {100, 100}}, {C, {100, 100}}, {M, {100, 100}}, {S, {100, 100}}}).run(1);
    EXPECT_EQ(r.lines().size(), 16 + 19);
    EXPECT_EQ(r.lines().last(), QStringLiteral("ค่า K เปลี่ยนแปลงไม่เกิน 4 % เพราะฉะนั้นไม่ได้เงินชดเชย"));
    EXPECT_EQ(r.st.sngK, 1.0f);
    EXPECT_EQ(r.st.intExcess, 25);
    EXPECT_EQ(r.st.lngCompensation, 2500000);
}

TEST(Formula1, DatesAndDesignationLines) {
    SheetRun r;
    r.st.lngODay = 15;
    r.st.strOMonth = QStringLiteral("มกราคม");
    r.st.lngOYear = 2541;
    r.st.strInstallment = fixedText(QStringLiteral("  3"), 50);
    r.st.lngTDay = 20;
    r.st.strTMonth = QStringLiteral("มีนาคม");
    r.st.lngTYear = 2541;
    r.values(kRise).net(1).run(1);
    EXPECT_EQ(r.line(7), dots("เปิดซองประกวดราคาเมื่อวันที่··15··เดือนมกราคม·พ.ศ.··2541·"));
    EXPECT_EQ(r.line(9), dots("งวดที่·3·ส่งงานวันที่··20··เดือนมีนาคม·พ.ศ.··2541·"));
}

TEST(Formula1, AmountBlockWithEquipmentAndNegativeNet) {
    SheetRun r;
    r.values(kRise).run(1);
    r.st.dblAmount = 100000;
    r.st.strEquipName[0] = fixedText(QStringLiteral("เครื่องสูบน้ำ"), 50);
    r.st.dblEquipPrice[0] = 80000;
    r.st.strEquipName[1] = fixedText(QStringLiteral("หม้อแปลง"), 50);
    r.st.dblEquipPrice[1] = 70000;
    r.st.strEquipName[2] = fixedText(QStringLiteral("named, price 0"), 50);
    r.st.dblNetAmount = -50000;
    r.printer.pending.clear();
    r.run(1);
    const QStringList l = r.lines();
    ASSERT_EQ(l.size(), 22);
    EXPECT_EQ(l[16], dots("เงินงวดนี้=·100000··บาท"));
    EXPECT_EQ(l[17], QStringLiteral("หัก ") + fixedText(QStringLiteral("เครื่องสูบน้ำ"), 50) +
                         dots("=·80000··บาท"));
    EXPECT_EQ(l[18], QStringLiteral("      ") + fixedText(QStringLiteral("หม้อแปลง"), 50) +
                         dots("=·70000··บาท"));
    EXPECT_EQ(l[19], dots("รวมหักในงวดนี้=·150000··บาท"));
    EXPECT_EQ(l[20], dots("คงเหลือเงินในงวดนี้=-50000··บาท"));
    EXPECT_EQ(l[21], dots("จะได้รับเงินชดเชย·=··0.025··x·-50000·=-1250··บาท"));
    EXPECT_EQ(r.st.lngCompensation, -125000);
}

TEST(Formula1, TenEquipmentLinesMakeTheLongestSheet) {
    SheetRun r;
    r.values(kRise);
    r.st.dblAmount = 9000000;
    r.st.dblNetAmount = 9000000 - 10 * 12345.5;
    for (int i = 0; i < 10; ++i) {
        r.st.strEquipName[i] = QString(50, QLatin1Char('W'));
        r.st.dblEquipPrice[i] = 12345.5;
    }
    r.run(1);
    EXPECT_EQ(r.lines().size(), 30);
    print::TextPage page;
    for (const auto& s : r.printer.pending) page.print(s);
    // Item 1 ("หัก " and 50 characters) ends at column 69, so its "=" stays
    // on the line; items 2 to 10 (six spaces) end beyond column 70, so
    // their "=" and amount move to column 70 of the next line.
    ASSERT_EQ(page.lines().size(), 30 + 9);
    auto column = [&](int line, const QString& text) {
        const QString l = page.lines()[line];
        return l.contains(text) ? cellWidth(l.left(l.indexOf(text))) + 1 : 0;
    };
    EXPECT_EQ(column(17, QStringLiteral("=")), 70);
    EXPECT_EQ(column(18, QStringLiteral("=")), 0);
    EXPECT_EQ(column(19, QStringLiteral("=")), 70);
    EXPECT_EQ(column(19, QStringLiteral(" 12345.5 ")), 75);
    EXPECT_EQ(column(19, QStringLiteral(" บาท")), 90);
}

TEST(Formula1, CompensationTruncatedToWholeSatang) {
    SheetRun r;
    r.values(kRise).net(1234567.89).run(1);
    EXPECT_EQ(r.st.lngCompensation, 3086419);
    EXPECT_TRUE(r.lines().last().contains(dots("=·30864.19··บาท")));
}

TEST(Formula1, SheetBeforeAnyEntryStopsAfterTheQuotientLines) {
    SheetRun r;
    r.st.TData[I] = 5;  // a t value with its o value still 0
    r.run(1);
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.lines().size(), 12);
    EXPECT_TRUE(r.error.contains(QStringLiteral("Io")));
    EXPECT_EQ(r.line(7), dots("เปิดซองประกวดราคาเมื่อวันที่··0··เดือน·พ.ศ.··0·"));
    EXPECT_EQ(r.line(9), QStringLiteral("งวดที่ ") + QString(50, QChar(0)) +
                             dots("·ส่งงานวันที่··0··เดือน·พ.ศ.··0·"));
}

TEST(Formula2, ConstantIsAddedRightAfterTheFirstTerm) {
    // Terms -0.05, -0.8, 0.55: (-0.05 + 0.30) - 0.8 + 0.55 and
    // -0.05 - 0.8 + 0.55 + 0.30 differ in the last bit of K.
    SheetRun r;
    r.values({{I, {1000, -500}}, {E, {1000, -2000}}, {F, {1000, 2750}}}).net(1000).run(2);
    ASSERT_FALSE(r.failed) << r.error.toStdString();
    EXPECT_EQ(print::formatNumber(r.st.sngK), QStringLiteral("-7.45058E-10 "));
    EXPECT_TRUE(r.lines().contains(dots("K·=·-7.45058E-10·")))
        << r.lines().join("\n").toStdString();
}

TEST(Formula1, IndexBeyondTheSingleRangeStopsTheSheet) {
    SheetRun r;
    r.values(kRise).net(1000000);
    r.st.OData[C] = INFINITY;  // a field of "1e39"
    r.st.lngOMonth = 1;
    r.st.lngOYear = 2548;
    r.run(1);
    EXPECT_TRUE(r.failed);
    EXPECT_TRUE(r.error.contains(QStringLiteral("Co"))) << r.error.toStdString();
    EXPECT_TRUE(r.error.contains(QStringLiteral("เดือนมกราคม พ.ศ. 2548"))) << r.error.toStdString();
    EXPECT_EQ(r.lines().size(), 12);  // nothing from the ratio line on
}

TEST(Formula1, CompensationOutOfRangeStopsAfterTheNetAmountLines) {
    SheetRun r;
    r.values(kRise).net(1e9).run(1);
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.lines().size(), 18);
    EXPECT_EQ(r.st.intExcess, 25);  // computed before the failure, kept
}
