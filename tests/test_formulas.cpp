#include <gtest/gtest.h>

#include "SheetRun.h"

using enum IndexColumn;

// The columns each formula reads, in index-list order.
const std::map<int, std::vector<IndexColumn>> kColumns = {
    {1, {I, C, M, S}}, {2, {I, E, F}},    {3, {A, E, F}},          {4, {M, A, E, F}},
    {5, {M, A, E, F}}, {6, {I, C, M, S}}, {7, {I, C, M, S}},       {8, {I, M}},
    {9, {I, M, AC}},   {10, {I, M, PVC}}, {11, {I, C, M, S, PVC}}, {12, {I, M, PVC}},
    {13, {I, GIP}}};

class EveryFormula : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Formulas, EveryFormula, ::testing::Range(1, 14));

TEST_P(EveryFormula, EqualValuesGiveKOneAndTheInBandMessage) {
    const int n = GetParam();
    const FormulaDef& def = *formulaDefinition(n);
    SheetRun r;
    for (IndexColumn c : kColumns.at(n)) r.values({{c, {123.4f, 123.4f}}});
    r.run(n);
    ASSERT_FALSE(r.failed) << r.error.toStdString();
    for (size_t i = 0; i < def.terms.size(); ++i) {
        EXPECT_EQ(r.st.intRatio[i], 1000);
        EXPECT_EQ(r.st.sngTerm[i], static_cast<Single>(def.terms[i].coefText.toDouble()));
    }
    EXPECT_EQ(r.st.sngK, 1.0f);
    EXPECT_EQ(r.lines().last(), QStringLiteral("ค่า K เปลี่ยนแปลงไม่เกิน 4 % เพราะฉะนั้นไม่ได้เงินชดเชย"));
    // Two-term formulas have no second quotient line.
    EXPECT_EQ(r.lines().size(), def.terms.size() == 2 ? 15 : 16);
}

TEST_P(EveryFormula, DefinitionAgreesWithItsFormulaText) {
    const FormulaDef& def = *formulaDefinition(GetParam());
    QString text = QStringLiteral("K = ") + def.a0Text;
    double sum = def.a0Text.toDouble() * 100;
    for (const FormulaTerm& t : def.terms) {
        text += QStringLiteral(" + %1%2t/%2o").arg(t.coefText, t.symbol);
        sum += t.coefText.toDouble() * 100;
    }
    EXPECT_EQ(def.formula, text);
    EXPECT_DOUBLE_EQ(sum, 100);
    EXPECT_TRUE(def.title.startsWith(QStringLiteral("สูตรที่ %1 ").arg(GetParam())));
}

TEST_P(EveryFormula, ZeroInAColumnItDoesNotReadChangesNothing) {
    const int n = GetParam();
    SheetRun r;
    for (int c = 0; c < kIndexColumns; ++c) r.values({{IndexColumn(c), {0, 0}}});
    for (IndexColumn c : kColumns.at(n)) r.values({{c, {100, 110}}});
    r.run(n);
    EXPECT_FALSE(r.failed) << r.error.toStdString();
}

TEST_P(EveryFormula, ZeroDivisorStopsAtThatRatioAfterTheQuotientLines) {
    const int n = GetParam();
    const auto& cols = kColumns.at(n);
    for (size_t k = 0; k < cols.size(); ++k) {
        SheetRun r;
        for (IndexColumn c : cols) r.values({{c, {100, 100}}});
        r.st.OData[cols[k]] = 0;
        r.run(n);
        ASSERT_TRUE(r.failed);
        EXPECT_EQ(r.lines().size(), cols.size() == 2 ? 11 : 12);
        EXPECT_TRUE(r.error.contains(columnSymbol(cols[k]) + QStringLiteral("o")));
        for (size_t i = 0; i < k; ++i) EXPECT_EQ(r.st.intRatio[i], 1000);  // computed before it
    }
}

TEST_P(EveryFormula, SlotsAboveTheTermCountAreLeftAlone) {
    const int n = GetParam();
    SheetRun r;
    r.st.intRatio.fill(-7);
    r.st.sngTerm.fill(-7);
    for (IndexColumn c : kColumns.at(n)) r.values({{c, {100, 100}}});
    r.run(n);
    for (size_t i = kColumns.at(n).size(); i < kMaxTerms; ++i) {
        EXPECT_EQ(r.st.intRatio[i], -7);
        EXPECT_EQ(r.st.sngTerm[i], -7.0f);
    }
}

// ---- the formula-specific lines, as listed for each formula ----------------------

struct LinesCase {
    int formula;
    const char* oValues;
    const char* quotient1;
    const char* quotient2;  // nullptr: no second quotient line
    const char* ratios;
    const char* terms;
};
void PrintTo(const LinesCase& c, std::ostream* os) { *os << "formula " << c.formula; }

// Values: o = 100 + column, t = 200 + column, so every value is distinct.
class FormulaLines : public ::testing::TestWithParam<LinesCase> {};
TEST_P(FormulaLines, TextsAndItemsInOrder) {
    const LinesCase& c = GetParam();
    SheetRun r;
    for (int col = 0; col < kIndexColumns; ++col)
        r.values({{IndexColumn(col), {100.0f + col, 200.0f + col}}});
    r.run(c.formula);
    const QStringList l = r.lines();
    EXPECT_EQ(l[4], formulaDefinition(c.formula)->title);
    EXPECT_EQ(l[5], formulaDefinition(c.formula)->formula);
    EXPECT_EQ(l[7], dots(c.oValues));
    QString tValues = dots(c.oValues);
    for (int col = kIndexColumns - 1; col >= 0; --col) {
        tValues.replace(QStringLiteral(" %1 ").arg(100 + col),
                        QStringLiteral(" %1 ").arg(200 + col));
    }
    tValues.replace(QStringLiteral("o = "), QStringLiteral("t = "));
    EXPECT_EQ(l[9], tValues);
    EXPECT_EQ(l[10], dots(c.quotient1));
    const int next = c.quotient2 ? 12 : 11;
    if (c.quotient2) {
        EXPECT_EQ(l[11], dots(c.quotient2));
    }
    EXPECT_EQ(l[next].left(QString::fromUtf8(c.ratios).size()), dots(c.ratios));
    EXPECT_TRUE(l[next + 1].startsWith(dots(c.terms))) << l[next + 1].toStdString();
    // Quotient line 1 stands at column 25, quotient line 2 at 28.
    EXPECT_EQ(std::get<print::Col>(r.printer.pending[10][0]).n, 25);
    if (c.quotient2) {
        EXPECT_EQ(std::get<print::Col>(r.printer.pending[11][0]).n, 28);
    }
}
// Column numbers (0-based): M 0, S 1, C 2, I 4, F 5, A 6, E 7, GIP 8, AC 9, PVC 10.
INSTANTIATE_TEST_SUITE_P(
    Listed, FormulaLines,
    ::testing::Values(
        LinesCase{1, "Io·=··104··,·Co·=··102··,·Mo·=··100··,·So·=··101·",
                  "K·=·0.25·+·0.15(·204·/·104·)·+·0.10(·202·/·102·)",
                  "+·0.40(·200·/·100·)·+·0.10(·201·/·101·)", "K·=·0.25·+·0.15(", "K·=·0.25·+·"},
        LinesCase{2, "Io·=··104··,·Eo·=··107··,·Fo·=··105·",
                  "K·=·0.30·+·0.10(·204·/·104·)·+·0.40(·207·/·107·)", "+·0.20(·205·/·105·)",
                  "K·=·0.30·+·0.10(", "K·=·0.30·+·"},
        LinesCase{3, "Ao·=··106··,·Eo·=··107··,·Fo·=··105·",
                  "K·=·0.30·+·0.40(·206·/·106·)·+·0.20(·207·/·107·)", "+·0.10(·205·/·105·)",
                  "K·=·0.30·+·0.40(", "K·=·0.30·+·"},
        LinesCase{4, "Mo·=··100··,·Ao·=··106··,·Eo·=··107··,·Fo·=··105·",
                  "K·=·0.30·+·0.10(·200·/·100·)·+·0.30(·206·/·106·)",
                  "+·0.20(·207·/·107·)·+·0.10(·205·/·105·)", "K·=·0.30·+·0.10(", "K·=·0.30·+·"},
        LinesCase{5, "Mo·=··100··,·Ao·=··106··,·Eo·=··107··,·Fo·=··105·",
                  "K·=·0.30·+·0.10(·200·/·100·)·+·0.40(·206·/·106·)",
                  "+·0.10(·207·/·107·)·+·0.10(·205·/·105·)", "K·=·0.30·+·0.10(", "K·=·0.30·+·"},
        LinesCase{6, "Io·=··104··,·Co·=··102··,·Mo·=··100··,·So·=··101·",
                  "K·=·0.30·+·0.10(·204·/·104·)·+·0.35(·202·/·102·)",
                  "+·0.10(·200·/·100·)·+·0.15(·201·/·101·)", "K·=·0.30·+·0.10(", "K·=·0.30·+·"},
        LinesCase{7, "Io·=··104··,·Co·=··102··,·Mo·=··100··,·So·=··101·",
                  "K·=·0.35·+·0.20(·204·/·104·)·+·0.15(·202·/·102·)",
                  "+·0.15(·200·/·100·)·+·0.15(·201·/·101·)", "K·=·0.35·+·0.20(", "K·=·0.35·+·"},
        LinesCase{8, "Io·=··104··,·Mo·=··100·", "K·=·0.50·+·0.25(·204·/·104·)·+·0.25(·200·/·100·)",
                  nullptr, "K·=·0.50·+·0.25(", "K·=·0.50·+·"},
        LinesCase{9, "Io·=··104··,·Mo·=··100··,·ACo·=··109·",
                  "K·=·0.40·+·0.10(·204·/·104·)·+·0.10(·200·/·100·)", "+·0.40(·209·/·109·)",
                  "K·=·0.40·+·0.10(", "K·=·0.40·+·"},
        LinesCase{10, "Io·=··104··,·Mo·=··100··,·PVCo·=··110·",
                  "K·=·0.40·+·0.10(·204·/·104·)·+·0.10(·200·/·100·)", "+·0.40(·210·/·110·)",
                  "K·=·0.40·+·0.10(", "K·=·0.40·+·"},
        LinesCase{11, "Io·=··104··,·Co·=··102··,·Mo·=··100··,·So·=··101··,·PVCo·=··110·",
                  "K·=·0.30·+·0.10(·204·/·104·)·+·0.20(·202·/·102·)",
                  "+·0.05(·200·/·100·)·+·0.05(·201·/·101·)·+·0.30(·210·/·110·)", "K·=·0.30·+·0.10(",
                  "K·=·0.30·+·"},
        LinesCase{12, "Io·=··104··,·Mo·=··100··,·PVCo·=··110·",
                  "K·=·0.25·+·0.05(·204·/·104·)·+·0.05(·200·/·100·)", "+·0.65(·210·/·110·)",
                  "K·=·0.25·+·0.05(", "K·=·0.25·+·"},
        LinesCase{13, "Io·=··104··,·GIPo·=··108·",
                  "K·=·0.25·+·0.25(·204·/·104·)·+·0.50(·208·/·108·)", nullptr, "K·=·0.25·+·0.25(",
                  "K·=·0.25·+·"}));

// ---- worked examples ---------------------------------------------------------------

struct Example {
    int formula;
    Values values;
    std::vector<Integer> ratios;
    std::vector<Single> terms;
    Single k;
    Integer excess;    // -1: inside the band
    const char* last;  // the sheet's last line, "·" for a space
};
void PrintTo(const Example& e, std::ostream* os) { *os << "formula " << e.formula; }

class WorkedExample : public ::testing::TestWithParam<Example> {};
TEST_P(WorkedExample, RatiosTermsKAndTheLastLine) {
    const Example& e = GetParam();
    SheetRun r;
    r.values(e.values).net(1000000).run(e.formula);
    ASSERT_FALSE(r.failed) << r.error.toStdString();
    for (size_t i = 0; i < e.ratios.size(); ++i) {
        EXPECT_EQ(r.st.intRatio[i], e.ratios[i]) << "ratio " << i + 1;
        EXPECT_EQ(r.st.sngTerm[i], e.terms[i]) << "term " << i + 1;
    }
    // K is a Single sum of Single terms: it can lie a step off the Single
    // nearest its three decimals, so compare it as printed.
    EXPECT_EQ(print::formatNumber(r.st.sngK), print::formatNumber(e.k));
    if (e.excess >= 0) {
        EXPECT_EQ(r.st.intExcess, e.excess);
    }
    EXPECT_EQ(r.lines().last(), dots(e.last));
}
INSTANTIATE_TEST_SUITE_P(
    Listed, WorkedExample,
    ::testing::Values(
        Example{2,
                {{I, {120.5f, 130.2f}}, {E, {98.4f, 101.7f}}, {F, {150, 165.8f}}},
                {1080, 1033, 1105},
                {0.108f, 0.413f, 0.221f},
                1.042f,
                2,
                "จะได้รับเงินชดเชย·=··0.002··x··1000000·=·2000··บาท"},
        Example{4,
                {{M, {120, 118.5f}}, {A, {250, 212.3f}}, {E, {100, 98.75f}}, {F, {80, 78.9f}}},
                {987, 849, 987, 986},
                {0.098f, 0.254f, 0.197f, 0.098f},
                0.947f,
                13,
                "ต้องคืนเงินให้ราชการ·=··0.013··x··1000000·=·13000··บาท"},
        Example{7,
                {{I, {110, 121}}, {C, {100, 95.5f}}, {M, {200, 230}}, {S, {100, 107.3f}}},
                {1100, 955, 1150, 1073},
                {0.22f, 0.143f, 0.172f, 0.16f},
                1.045f,
                5,
                "จะได้รับเงินชดเชย·=··0.005··x··1000000·=·5000··บาท"},
        Example{8,
                {{I, {120, 126}}, {M, {110, 121}}},
                {1050, 1100},
                {0.262f, 0.275f},
                1.037f,
                -1,
                "ค่า·K·เปลี่ยนแปลงไม่เกิน·4·%·เพราะฉะนั้นไม่ได้เงินชดเชย"},
        Example{9,
                {{I, {100, 100}}, {M, {100, 100}}, {AC, {120, 150}}},
                {1000, 1000, 1250},
                {0.1f, 0.1f, 0.5f},
                1.1f,
                60,
                "จะได้รับเงินชดเชย·=··0.06··x··1000000·=·60000··บาท"},
        Example{10,
                {{I, {100, 100}}, {M, {100, 100}}, {PVC, {120, 150}}},
                {1000, 1000, 1250},
                {0.1f, 0.1f, 0.5f},
                1.1f,
                60,
                "จะได้รับเงินชดเชย·=··0.06··x··1000000·=·60000··บาท"},
        Example{11,
                {{I, {100, 110}},
                 {C, {100, 105}},
                 {M, {100, 120}},
                 {S, {100, 90}},
                 {PVC, {100, 120.5f}}},
                {1100, 1050, 1200, 900, 1205},
                {0.11f, 0.21f, 0.06f, 0.045f, 0.361f},
                1.086f,
                46,
                "จะได้รับเงินชดเชย·=··0.046··x··1000000·=·46000··บาท"},
        Example{12,
                {{I, {100, 104}}, {M, {200, 230}}, {PVC, {150, 180}}},
                {1040, 1150, 1200},
                {0.052f, 0.057f, 0.78f},
                1.139f,
                99,
                "จะได้รับเงินชดเชย·=··0.099··x··1000000·=·99000··บาท"},
        Example{13,
                {{I, {100, 90}}, {GIP, {200, 170}}},
                {900, 850},
                {0.225f, 0.425f},
                0.9f,
                60,
                "ต้องคืนเงินให้ราชการ·=··0.06··x··1000000·=·60000··บาท"}));

TEST(Formula11, RatioLineShowsFiveRatios) {
    SheetRun r;
    r.values(
         {{I, {100, 110}}, {C, {100, 105}}, {M, {100, 120}}, {S, {100, 90}}, {PVC, {100, 120.5f}}})
        .run(11);
    EXPECT_EQ(
        r.line(13),
        dots("K·=·0.30·+·0.10(·1.1·)·+·0.20(·1.05·)·+·0.05(·1.2·)·+·0.05(·0.9·)·+·0.30(·1.205·)"));
    EXPECT_EQ(r.line(14), dots("K·=·0.30·+··0.11··+··0.21··+··0.06··+··0.045··+··0.361·"));
}

TEST(Formula13, RatioLineShowsBothRatios) {
    SheetRun r;
    r.values({{I, {100, 90}}, {GIP, {200, 170}}}).run(13);
    EXPECT_EQ(r.line(12), dots("K·=·0.25·+·0.25(·0.9·)·+·0.50(·0.85·)"));
}

// 0.35 × these ratios rounds just below a whole number as a Double.
TEST(Formula6, CoefficientPointThreeFiveFloorsBelowTheDecimalProduct) {
    struct Case {
        Single ct;
        Integer ratio;
        Single term;
    };
    for (const Case& c : {Case{18, 180, 0.062f}, Case{34, 340, 0.118f}, Case{130, 1300, 0.454f},
                          Case{138, 1380, 0.482f}, Case{146, 1460, 0.51f}}) {
        SheetRun r;
        r.values({{I, {100, 100}}, {C, {100, c.ct}}, {M, {100, 100}}, {S, {100, 100}}}).run(6);
        EXPECT_EQ(r.st.intRatio[1], c.ratio);
        EXPECT_EQ(r.st.sngTerm[1], c.term) << c.ratio;
    }
}
