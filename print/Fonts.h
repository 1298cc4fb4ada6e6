// Fonts for the window and the sheet. Both ask for "Browallia New"; where
// it is absent, fontconfig hands Qt a stand-in (Garuda, from the TLWG
// fonts) that is far wider. The stand-in is scaled so that its average
// character width equals that of Browallia New at the size asked for, which
// keeps the captions inside their buttons and the sheet's columns on A4.
#pragma once

#include <QFont>
#include <QString>

// Average character width of Browallia New, as a fraction of its size.
constexpr double kBrowalliaAverageEm = 0.30;

// `points` of `family`, or of its stand-in scaled as above.
QFont thaiFont(const QString& family, double points);
