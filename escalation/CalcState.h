// The whole memory of the program: the 26 variables of the main window,
// by their names and kinds, zero at creation (fixed texts filled with
// code-0 characters). Commands read and write them by name; nothing here
// has behaviour of its own.
#pragma once

#include <QString>
#include <array>

#include "base/Kinds.h"
#include "indexdata/IndexRecord.h"

constexpr int kEquipItems = 10;
constexpr int kMaxTerms = 5;
constexpr int kTextLength = 50;

struct CalcState {
    IndexRecord recIndex;  // raw text of the record read last
    Integer intFileNo = 0;
    Long lngRecLen = 0;
    Long lngRecNo = 0;
    Long lngRecCount = 0;

    Long lngOYear = 0;
    Long lngOMonth = 0;
    QString strOMonth;
    Long lngODay = 0;
    IndexValues OData;

    Long lngTYear = 0;
    Long lngTMonth = 0;
    QString strTMonth;
    Long lngTDay = 0;
    IndexValues TData;

    QString strInstallment = codeZeroText(kTextLength);
    Double dblAmount = 0;
    Double dblNetAmount = 0;
    Long lngCompensation = 0;
    // Items 1 to 10 sit at [0] to [9].
    std::array<QString, kEquipItems> strEquipName = filledNames();
    std::array<Double, kEquipItems> dblEquipPrice{};

    // sngTerm1 … sngTerm5 and intRatio1 … intRatio5 sit at [0] to [4].
    std::array<Single, kMaxTerms> sngTerm{};
    std::array<Integer, kMaxTerms> intRatio{};
    Integer intFormulaNo = 0;
    Single sngK = 0;
    Integer intExcess = 0;

  private:
    static std::array<QString, kEquipItems> filledNames() {
        std::array<QString, kEquipItems> a;
        a.fill(codeZeroText(kTextLength));
        return a;
    }
};
