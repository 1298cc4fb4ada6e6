// The twelve Thai month names, by month number, and which days a month of
// a Buddhist-Era year has: the one rule of a date that exists, for every
// way a date is entered (the window's prompts, a contract's cells). It
// does not look anything up in the index table.
#pragma once

#include <QDateTime>
#include <QString>

#include "base/Kinds.h"

// The name of month 1 to 12; an empty text for any other number.
QString thaiMonthName(Long month);

// A month prompt: the lead text followed by " 1.<name> 2.<name> ... 12.<name>".
QString monthPrompt(const QString& lead);

// "มกราคม พ.ศ. 2548" for messages; a number outside 1 to 12 is shown as
// "เดือนที่ 13 พ.ศ. 2548".
QString monthAndYear(Long month, Long year);

// A month as a table and a summary write it: "9/2548".
QString monthSlashYear(Long month, Long year);

// The number of days of month 1 to 12 of Buddhist-Era year `year`; 0 for
// any other month. B.E. year y is a leap year when y - 543 is a Gregorian
// one (February 2563 has 29 days).
Long daysInMonth(Long month, Long year);

// Why day `day` of month/year does not exist, for the user: "เดือนพฤศจิกายน
// พ.ศ. 2562 มี 30 วัน" (with the days allowed, for a day below 1); an empty
// text when it exists, and for a month outside 1 to 12, which has no days
// to check (its month is then not found, and said so).
QString dayProblem(Long day, Long month, Long year);

// The hint after a year below 2400, which is taken for a Christian year:
// "ปีต้องเป็นปีพุทธศักราช (พ.ศ. = ค.ศ. + 543) เช่น ค.ศ. 2005 คือ พ.ศ. 2548".
QString buddhistEraHint(Long year);

// A moment as a Thai reader reads it: "8 ธันวาคม 2569 เวลา 11:12 น."
// (Buddhist Era, the month's name), whatever the desktop's language.
QString thaiDateTime(const QDateTime& at);
