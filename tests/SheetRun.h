// Runs one formula's sheet on given index values, as the print command
// does, and keeps what it printed.
#pragma once

#include <map>

#include "FakePlatform.h"
#include "escalation/CalcState.h"
#include "escalation/Arithmetic.h"
#include "escalation/Formulas.h"
#include "escalation/Sheet.h"

using Values = std::map<IndexColumn, std::pair<Single, Single>>;  // column -> (o, t)

struct SheetRun {
    CalcState st;
    FakePrinter printer;
    bool failed = false;
    QString error;

    SheetRun& values(const Values& v) {
        for (const auto& [c, ot] : v) {
            st.OData[c] = ot.first;
            st.TData[c] = ot.second;
        }
        return *this;
    }
    SheetRun& net(Double amount) {
        st.dblAmount = st.dblNetAmount = amount;
        return *this;
    }
    SheetRun& run(int formula) {
        try {
            printSheet(*formulaDefinition(formula), st, printer);
        } catch (const CalcError& e) {
            failed = true;
            error = e.message();
        }
        return *this;
    }
    QStringList lines() const { return FakePrinter::texts(printer.pending); }
    QString line(int n) const { return lines().value(n - 1); }  // numbered from 1
};

// "·" in an expected line stands for a space.
inline QString dots(const char* utf8) {
    return QString::fromUtf8(utf8).replace(QChar(0x00B7), QLatin1Char(' '));
}
