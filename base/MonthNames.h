// The twelve Thai month names, by month number.
#pragma once

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
