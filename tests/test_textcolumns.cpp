// Columns a reader lines up by eye on a terminal: a Thai mark above or
// below its letter takes no cell, so a column of Thai words is as straight
// as one of digits.
#include <gtest/gtest.h>

#include "base/TextColumns.h"

namespace {

struct ColumnsCase {
    const char* name;
    std::vector<QStringList> rows;  // the first is the heading
    QStringList lines;
};

void PrintTo(const ColumnsCase& c, std::ostream* os) { *os << c.name; }

class TextColumnsCases : public ::testing::TestWithParam<ColumnsCase> {};

TEST_P(TextColumnsCases, LineUp) {
    const ColumnsCase& c = GetParam();
    // Column 0 to the right, as a row number; the rest to the left.
    TextColumns columns(c.rows[0], [](int col) { return col == 0; }, QStringLiteral("|"));
    for (const QStringList& row : c.rows) columns.measure(row);
    QStringList lines;
    for (const QStringList& row : c.rows) lines << columns.line(row);
    EXPECT_EQ(lines.join(u'\n').toStdString(), c.lines.join(u'\n').toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TextColumnsCases,
    ::testing::Values(
        // ที่ is one cell wide, บาท three: the column is three cells.
        ColumnsCase{"thai_marks_take_no_cell",
                    {{"n", "งวด"}, {"1", "ที่"}, {"10", "บาท"}},
                    {" n|งวด", " 1|ที่  ", "10|บาท"}},
        // A refused row's reason does not widen its column.
        ColumnsCase{"short_row_runs_on",
                    {{"n", "a", "b"}, {"1", "xx", "y"}, {"2", "a very long reason"}},
                    {"n|a |b", "1|xx|y", "2|a very long reason"}},
        // A note after the columns (a record only partly in the file).
        ColumnsCase{"extra_cell_runs_on",
                    {{"n", "a"}, {"1", "x", "(note)"}, {"100", "yy"}},
                    {"  n|a ", "  1|x |(note)", "100|yy"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
