// The register's form of one installment: its fields as typed, each read
// as the window's prompt for it reads a reply (numbers in the desktop's
// format or in Thai digits, dates that exist, the same messages), and the
// installment they make or the fields that stop it, each named. It also
// says in one line what an installment comes to (K and its band with the
// compensation or refund, what it waits for, or why it cannot be computed),
// for the form while typing and for the register's rows.
//
// It reads texts and describes outcomes; it computes no sheet and shows
// nothing (the window does, the Register computes).
#pragma once

#include <QLocale>
#include <QString>
#include <array>
#include <vector>

#include "contract/Installment.h"

struct InstallmentFields {
    QString formula, day, month, year, designation, amount;
    std::array<QString, kEquipItems> itemNames, itemPrices;
};

enum class FormField { Formula, Day, Month, Year, Designation, Amount, ItemName, ItemPrice };

struct FieldProblem {
    FormField field;
    int item = 0;     // 1 to 10 for an equipment item's field
    QString message;  // Thai, naming the field
};

struct FormReading {
    Installment value;  // complete only when there is no problem
    std::vector<FieldProblem> problems;
    bool ok() const { return problems.empty(); }
};

// The label of a field, as its prompt in the window asks for it.
QString fieldLabel(FormField field, int item = 0);

// The installment the fields make under the contract's bid-opening date
// (bidDay/bidMonth/bidYear of `bid`), or every field that stops it.
FormReading readInstallmentFields(const InstallmentFields& fields, const Installment& bid,
                                  const QLocale& locale = QLocale());
// The fields showing `in` as the desktop writes numbers, to be corrected.
InstallmentFields installmentFields(const Installment& in, const QLocale& locale = QLocale());

// What the installment comes to, in one line.
QString outcomeLine(const InstallmentOutcome& o);
