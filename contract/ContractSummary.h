// What a contract's run concluded, as data and as text: the totals of its
// rows (compensation, refund, rows computed and refused), the summary as an
// aligned Thai table with the totals under it, and the same rows as CSV.
// It computes nothing itself: the rows are the contract run's.
#pragma once

#include <QString>
#include <vector>

#include "contract/Contract.h"

struct ContractTotals {
    // Each compensation is whole satang, so their sum is kept exact.
    long long compensationSatang = 0;
    // Refunds are not truncated: summed in row order, as each is printed.
    Double refunds = 0;
    int computed = 0, refused = 0;
    Double compensation() const { return Double(compensationSatang) / 100.0; }
};

ContractTotals contractTotals(const std::vector<ContractRow>& rows);

// The summary: an aligned Thai table, one line a row, then the totals.
QString contractSummary(const std::vector<ContractRow>& rows);
// The same as CSV with the columns
// row,installment,formula,bid_year,bid_month,year,month,k,band,excess,
// net_amount,compensation,refund,error.
QString contractSummaryCsv(const std::vector<ContractRow>& rows);
