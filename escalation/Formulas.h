// The thirteen formula definitions, as data: number, title line, formula
// line, a0, and the coefficient × index list. The sheet's formula-specific
// lines (values, quotients, ratios, terms) are built from a definition by
// one rule, so adding a formula never means another copy of the sheet.
#pragma once

#include <QString>
#include <vector>

#include "base/Kinds.h"
#include "indexdata/IndexRecord.h"

struct FormulaTerm {
    QString coefText;  // as printed, e.g. "0.15"
    Double c;          // the Double nearest to coefText
    IndexColumn column;
    QString symbol;  // as printed, e.g. "PVC"
};

struct FormulaDef {
    Integer number;
    QString title;
    QString formula;
    QString a0Text;
    Double a0;
    std::vector<FormulaTerm> terms;  // 2 to 5
};

constexpr int kFormulaCount = 13;

// Definition of formula n, 1 to 13; nullptr for any other number.
const FormulaDef* formulaDefinition(int n);

// The printed symbol of an index column ("M", "GIP", ...).
QString columnSymbol(IndexColumn c);
