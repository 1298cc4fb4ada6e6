#include "escalation/Formulas.h"

#include <array>
#include <charconv>
#include <string>

namespace {

using enum IndexColumn;

struct Row {
    int number;
    QString title;
    QString formula;
    const char* a0;
    std::vector<std::pair<const char*, IndexColumn>> terms;
};

Double nearestDouble(const char* decimal) {
    Double v = 0;
    const std::string s(decimal);
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

// Titles and formula texts exactly as printed; a0 and the coefficients as
// two-decimal texts, from which the Doubles follow.
const std::vector<Row>& rows() {
    // clang-format off
    static const std::vector<Row> r = {
    {1, QStringLiteral("สูตรที่ 1 งานอาคาร"),
     QStringLiteral("K = 0.25 + 0.15It/Io + 0.10Ct/Co + 0.40Mt/Mo + 0.10St/So"),
     "0.25", {{"0.15", I}, {"0.10", C}, {"0.40", M}, {"0.10", S}}},
    {2, QStringLiteral("สูตรที่ 2 งานดิน"),
     QStringLiteral("K = 0.30 + 0.10It/Io + 0.40Et/Eo + 0.20Ft/Fo"),
     "0.30", {{"0.10", I}, {"0.40", E}, {"0.20", F}}},
    {3, QStringLiteral("สูตรที่ 3 งานทาง Prime coat,Tack coat, Seal coat"),
     QStringLiteral("K = 0.30 + 0.40At/Ao + 0.20Et/Eo + 0.10Ft/Fo"),
     "0.30", {{"0.40", A}, {"0.20", E}, {"0.10", F}}},
    {4, QStringLiteral("สูตรที่ 4 งานผิวทาง Surface treatment slurry seal"),
     QStringLiteral("K = 0.30 + 0.10Mt/Mo + 0.30At/Ao + 0.20Et/Eo + 0.10Ft/Fo"),
     "0.30", {{"0.10", M}, {"0.30", A}, {"0.20", E}, {"0.10", F}}},
    {5, QStringLiteral("สูตรที่ 5 งานผิวทาง Asphaltic concrete,Penetration macadam"),
     QStringLiteral("K = 0.30 + 0.10Mt/Mo + 0.40At/Ao + 0.10Et/Eo + 0.10Ft/Fo"),
     "0.30", {{"0.10", M}, {"0.40", A}, {"0.10", E}, {"0.10", F}}},
    {6, QStringLiteral("สูตรที่ 6 งานผิวถนนคอนกรีตเสริมเหล็ก"),
     QStringLiteral("K = 0.30 + 0.10It/Io + 0.35Ct/Co + 0.10Mt/Mo + 0.15St/So"),
     "0.30", {{"0.10", I}, {"0.35", C}, {"0.10", M}, {"0.15", S}}},
    {7, QStringLiteral("สูตรที่ 7 งานท่อระบายน้ำคอนกรีตเสริมเหล็กและงานบ่อพัก"),
     QStringLiteral("K = 0.35 + 0.20It/Io + 0.15Ct/Co + 0.15Mt/Mo + 0.15St/So"),
     "0.35", {{"0.20", I}, {"0.15", C}, {"0.15", M}, {"0.15", S}}},
    {8, QStringLiteral("สูตรที่ 8 งานท่อ AC และ PVC ผู้ว่าจ้างจัดหาท่อและ/หรืออุปกรณ์ให้"),
     QStringLiteral("K = 0.50 + 0.25It/Io + 0.25Mt/Mo"),
     "0.50", {{"0.25", I}, {"0.25", M}}},
    {9, QStringLiteral("สูตรที่ 9 งานท่อ AC ผู้รับจ้างจัดหาท่อเอง"),
     QStringLiteral("K = 0.40 + 0.10It/Io + 0.10Mt/Mo + 0.40ACt/ACo"),
     "0.40", {{"0.10", I}, {"0.10", M}, {"0.40", AC}}},
    {10, QStringLiteral("สูตรที่ 10 งานท่อ PVC ผู้รับจ้างจัดหาเอง"),
     QStringLiteral("K = 0.40 + 0.10It/Io + 0.10Mt/Mo + 0.40PVCt/PVCo"),
     "0.40", {{"0.10", I}, {"0.10", M}, {"0.40", PVC}}},
    {11, QStringLiteral("สูตรที่ 11 งานท่อ PVC หุ้มคอนกรีต"),
     QStringLiteral("K = 0.30 + 0.10It/Io + 0.20Ct/Co + 0.05Mt/Mo + 0.05St/So + 0.30PVCt/PVCo"),
     "0.30", {{"0.10", I}, {"0.20", C}, {"0.05", M}, {"0.05", S}, {"0.30", PVC}}},
    {12, QStringLiteral("สูตรที่ 12 งานท่อ PVC กลบทราย"),
     QStringLiteral("K = 0.25 + 0.05It/Io + 0.05Mt/Mo + 0.65PVCt/PVCo"),
     "0.25", {{"0.05", I}, {"0.05", M}, {"0.65", PVC}}},
    {13, QStringLiteral("สูตรที่ 13 งานวางท่อเหล็กอาบสังกะสี"),
     QStringLiteral("K = 0.25 + 0.25It/Io + 0.50GIPt/GIPo"),
     "0.25", {{"0.25", I}, {"0.50", GIP}}},
    };
    // clang-format on
    return r;
}

std::array<FormulaDef, kFormulaCount> build() {
    std::array<FormulaDef, kFormulaCount> defs;
    for (const Row& row : rows()) {
        FormulaDef& d = defs[static_cast<size_t>(row.number - 1)];
        d.number = static_cast<Integer>(row.number);
        d.title = row.title;
        d.formula = row.formula;
        d.a0Text = QString::fromLatin1(row.a0);
        d.a0 = nearestDouble(row.a0);
        for (const auto& [coef, col] : row.terms) {
            d.terms.push_back(
                {QString::fromLatin1(coef), nearestDouble(coef), col, columnSymbol(col)});
        }
    }
    return defs;
}

}  // namespace

QString columnSymbol(IndexColumn c) {
    static const std::array<const char*, kIndexColumns> names = {
        "M", "S", "C", "Col4", "I", "F", "A", "E", "GIP", "AC", "PVC", "Col12", "Col13"};
    return QString::fromLatin1(names[static_cast<size_t>(c)]);
}

const FormulaDef* formulaDefinition(int n) {
    static const std::array<FormulaDef, kFormulaCount> defs = build();
    if (n < 1 || n > kFormulaCount) return nullptr;
    return &defs[static_cast<size_t>(n - 1)];
}
