// Turning prompt replies into the state's kinds. Numbers are read in the
// locale given (by default the user's: its decimal point and digit
// grouping), in Arabic or Thai digits (๐ to ๙), blanks around the reply
// ignored; whole numbers take the nearest integer, halves to even. A reply
// that does not convert yields a Thai message that says what is expected,
// and nothing is stored from it.
#pragma once

#include <QLocale>
#include <QString>
#include <optional>

#include "base/Kinds.h"
#include "entry/Platform.h"

struct Conversion {
    bool ok = false;
    double value = 0;
    QString error;  // Thai, for the user, when !ok
};

Conversion replyToDouble(const QString& reply, const QLocale& locale = QLocale());
// Rounded halves to even, then checked against [min, max].
Conversion replyToWhole(const QString& reply, double min, double max,
                        const QLocale& locale = QLocale());
// A whole number in the range of the state's Long or Integer.
Conversion replyToLong(const QString& reply, const QLocale& locale = QLocale());
Conversion replyToInteger(const QString& reply, const QLocale& locale = QLocale());

// Each asks until the reply converts, telling the user what went wrong in
// between; returns false, storing nothing, when the user cancels.
bool askLong(Platform& ui, const QString& prompt, Long& out);
bool askInteger(Platform& ui, const QString& prompt, Integer& out);
bool askDouble(Platform& ui, const QString& prompt, Double& out);
// A fixed text of 50; false, storing nothing, when the user cancels.
bool askText50(Platform& ui, const QString& prompt, QString& out);
