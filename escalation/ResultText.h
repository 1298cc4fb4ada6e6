// How a sheet's conclusion reads on screen, wherever it is shown (the main
// window's panel, the register's rows and form): K with where it lies
// against 0.96–1.04 and the compensation or refund, and amounts with the
// sheet's own digits grouped for reading. Screen texts only: the sheet
// prints its own lines.
#pragma once

#include <QString>

#include "escalation/Sheet.h"

// An amount of baht with the digits the sheet prints for it, grouped by
// thousands, at least two decimals: "1,324,999.50", "1,134,983.012".
QString groupedBaht(Double amount);
// A value as the sheet prints it, without its padding.
QString sheetNumber(Single v);
QString sheetNumber(Double v);
// "1.0512 สูงกว่าช่วง 0.96 ถึง 1.04 (ส่วนเกิน 0.0112): ได้รับเงินชดเชย 1,234.00 บาท",
// or the refund below the band, or nothing to pay within it.
QString resultLine(const SheetResult& r);
// Where K lies against 0.96–1.04, in a word, as summaries' band column
// says it: "สูงกว่า", "ต่ำกว่า", "ภายใน".
QString bandWord(Band band);
