// What the budget office is told for a month or a range of months: every
// installment of every contract of the register delivered in them, with
// its K and its compensation or refund (as printed for a printed one, as
// the table gives them now otherwise), the totals of compensation and of
// refund, and apart the installments still waiting for their month's
// indices with their amounts. As text for a terminal, as CSV for a
// spreadsheet, and as statements of a printed A4 report.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "contract/Register.h"
#include "escalation/Printer.h"

// Months as a number: year × 12 + month − 1.
struct MonthRange {
    Long from = 0, to = 0;
};
// "9/2569" or "7/2569-9/2569" (Thai digits too); nullopt with the Thai
// reason in `error` when it is not that, or runs backwards.
std::optional<MonthRange> parseMonthRange(const QString& text, QString* error);
// "9/2569" or "7/2569 ถึง 9/2569".
QString monthRangeText(const MonthRange& range);

struct BudgetLine {
    ContractInfo contract;
    RegisterRow row;
};

struct BudgetSummary {
    MonthRange range;
    QString office;
    std::vector<BudgetLine> lines;    // computed (or printed), in contract order
    std::vector<BudgetLine> waiting;  // waiting for a month's indices
    std::vector<BudgetLine> refused;  // cannot be computed (the reason with each)
    long long compensationSatang = 0;
    Double refunds = 0;
    Double waitingAmount = 0;
    int printed = 0, notPrinted = 0;
    Double compensation() const { return Double(compensationSatang) / 100.0; }
};

BudgetSummary budgetSummary(Register& reg, const MonthRange& range);

QString budgetText(const BudgetSummary& s);
// With the columns contract,installment,formula,year,month,k,band,
// compensation,refund,printed,status.
QString budgetCsv(const BudgetSummary& s);
// The report on A4 pages, in Thai with the office's heading; the document
// is the caller's to end.
void printBudget(const BudgetSummary& s, Printer& printer);
