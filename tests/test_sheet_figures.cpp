// A sheet computed for its figures alone (a printer that throws statements
// away, as a register's sums use) takes every step a printed sheet takes:
// the same K, excess, compensation or refund, the same failures with the
// same words, the same results left in the state.
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "escalation/Sheet.h"

namespace {

struct SheetRunResult {
    SheetOutcome outcome;
    CalcState st;
};

SheetRunResult run(const CalcState& from, Printer& printer) {
    SheetRunResult r{{}, from};
    r.outcome = runSheet(r.st, printer);
    return r;
}

void expectSame(const SheetRunResult& a, const SheetRunResult& b, int draw) {
    EXPECT_EQ(a.outcome.status, b.outcome.status) << draw;
    EXPECT_EQ(a.outcome.why, b.outcome.why) << draw;
    EXPECT_EQ(a.outcome.result.k, b.outcome.result.k) << draw;
    EXPECT_EQ(a.outcome.result.band, b.outcome.result.band) << draw;
    EXPECT_EQ(a.outcome.result.excess, b.outcome.result.excess) << draw;
    EXPECT_EQ(a.outcome.result.compensation, b.outcome.result.compensation) << draw;
    EXPECT_EQ(a.outcome.result.refund, b.outcome.result.refund) << draw;
    EXPECT_EQ(a.st.intRatio, b.st.intRatio) << draw;
    EXPECT_EQ(a.st.sngTerm, b.st.sngTerm) << draw;
    EXPECT_EQ(a.st.sngK, b.st.sngK) << draw;
    EXPECT_EQ(a.st.intExcess, b.st.intExcess) << draw;
    EXPECT_EQ(a.st.lngCompensation, b.st.lngCompensation) << draw;
}

// A state of both months found, with values that reach every branch:
// inside and outside the band, zero divisors, ratios beyond the Integer
// range, indices beyond the Single range, deductions and compensations
// beyond what can be computed.
CalcState randomState(std::mt19937& rng) {
    CalcState st;
    st.intFormulaNo = Integer(std::uniform_int_distribution<int>(0, 14)(rng));
    st.lngOMonth = st.OData.month = 1;
    st.lngOYear = st.OData.year = 2548;
    st.lngTMonth = st.TData.month = 10;
    st.lngTYear = st.TData.year = 2548;
    std::uniform_real_distribution<float> index(50, 400);
    for (int c = 0; c < kIndexColumns; ++c) {
        st.OData.col[size_t(c)] = index(rng);
        st.TData.col[size_t(c)] = st.OData.col[size_t(c)] * std::uniform_real_distribution<float>(0.8f, 1.3f)(rng);
    }
    const int odd = std::uniform_int_distribution<int>(0, 40)(rng);
    const size_t column = size_t(std::uniform_int_distribution<int>(0, kIndexColumns - 1)(rng));
    if (odd == 0) st.OData.col[column] = 0;
    if (odd == 1) st.TData.col[column] = st.OData.col[column] * 40;
    if (odd == 2) st.TData.col[column] = std::numeric_limits<float>::infinity();
    st.dblAmount = std::uniform_real_distribution<double>(-1e6, 5e7)(rng);
    if (odd == 3) st.dblAmount = 1e308;
    const int items = std::uniform_int_distribution<int>(0, kEquipItems)(rng);
    for (int i = 0; i < items; ++i) st.dblEquipPrice[size_t(i)] = std::uniform_real_distribution<double>(-5e4, 5e5)(rng);
    if (odd == 4) {
        // Taken off twice, the deduction itself is beyond a Double.
        st.dblAmount = 1e308;
        st.dblEquipPrice[0] = st.dblEquipPrice[1] = 1e308;
    }
    Double net = st.dblAmount;
    for (int i = 0; i < kEquipItems && st.dblEquipPrice[size_t(i)] != 0; ++i) net -= st.dblEquipPrice[size_t(i)];
    st.dblNetAmount = net;
    return st;
}

TEST(SheetFigures, WithoutTextsEveryStepAsPrinted) {
    std::mt19937 rng(20261208);
    int outside = 0, failed = 0;
    for (int draw = 0; draw < 20000; ++draw) {
        const CalcState st = randomState(rng);
        CollectingPrinter kept;
        NullPrinter nowhere;
        const SheetRunResult printed = run(st, kept), figures = run(st, nowhere);
        expectSame(printed, figures, draw);
        if (printed.outcome.printed() && printed.outcome.result.band != Band::Inside) ++outside;
        if (printed.outcome.status == SheetOutcome::Status::CalcFailed) ++failed;
        if (::testing::Test::HasFailure()) break;
    }
    // The cases reach what they are meant to.
    EXPECT_GT(outside, 1000);
    EXPECT_GT(failed, 100);
}

}  // namespace
