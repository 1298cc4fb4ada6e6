// The two entry commands: the bid-opening date (day, month, year, then the
// month search into OData) and the installment (the delivery date into
// TData, the designation, the amount and the chain of up to ten equipment
// items, then the net amount). Each value is stored as soon as its reply
// converts; Cancel at a numeric prompt ends the command at that step.
#pragma once

#include "app/CalcState.h"
#include "indexdata/TableFile.h"
#include "platform/Platform.h"

void enterBidOpening(CalcState& st, TableFile& table, Platform& ui);
void enterInstallment(CalcState& st, TableFile& table, Platform& ui);

// Prompt texts of the equipment chain, item n counted from 1.
QString equipNamePrompt(int n);
QString equipPricePrompt(int n);
