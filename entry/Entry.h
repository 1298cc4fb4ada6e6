// The two entry commands: the bid-opening date (day, month, year, then the
// month search into OData) and the installment (the delivery date into
// TData, the designation, the amount and the chain of up to ten equipment
// items, then the net amount). A day its month does not have is refused
// and asked again (base/MonthNames dayProblem). A command stores its values
// only when it runs to its end: Cancel at any prompt leaves the state as it
// was.
#pragma once

#include "escalation/CalcState.h"
#include "indexdata/TableFile.h"
#include "entry/Platform.h"

// The not-found message of every month search, first line of what the
// user reads: then the month and year asked, the table searched, and for a
// year that cannot be a Buddhist Era one, the hint that years are.
extern const QString kNotFoundMessage;
QString notFoundMessage(const QString& table, Long month, Long year);

// Each returns false when the user cancelled (the state is as it was).
bool enterBidOpening(CalcState& st, TableFile& table, Platform& ui);
bool enterInstallment(CalcState& st, TableFile& table, Platform& ui);

// The plain steps of the two commands, for values already given (by the
// prompts above, or by the cells of a contract row): each stores what the
// command stores for them.
// A date with its month's name (month 1 to 12; another month keeps the
// name before), then the month search into OData or TData; false when the
// table has no values for that month.
bool setBidOpening(CalcState& st, TableFile& table, Long day, Long month, Long year);
bool setDelivery(CalcState& st, TableFile& table, Long day, Long month, Long year);
// Item n (from 1) of the equipment chain, its name a fixed text; true when
// the chain ends there (see endOfEquipChain).
bool setEquipItem(CalcState& st, int n, const QString& name, Double price);

// The rules of the equipment chain, shared by every way of entering it.
// After item n (from 1) got its price: true when the chain stops there
// (price 0, or item 10), with the items after it blanked and priced 0.
bool endOfEquipChain(CalcState& st, int n);
// dblAmount less the prices of the chain, subtracted one by one in order.
Double netAmount(const CalcState& st);

// Prompt texts of the equipment chain, item n counted from 1.
QString equipNamePrompt(int n);
QString equipPricePrompt(int n);
