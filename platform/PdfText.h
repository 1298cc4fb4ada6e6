// Makes a printed sheet's PDF give back its own text. The TLWG Thai fonts
// encode the shaped forms of the Thai marks (a tone mark set low or moved
// left) at private-use code points, and Qt writes those into the PDF's
// ToUnicode maps; the shaper also splits SARA AM and reorders marks. So
// copying or searching the PDF found "ส\uf70aงงาน" where "ส่งงาน" stands.
//
// Given the runs of text as they were drawn, mendText tags the text objects
// of each run with the run's own text (/ActualText, which text extraction
// reports instead of the glyphs) and puts the standard Thai characters into
// the ToUnicode maps. The look of the page does not change. It reads the
// PDF as QPdfWriter writes it and appends its changes as an incremental
// update.
#pragma once

#include <QByteArray>
#include <QPointF>
#include <QString>
#include <vector>

namespace pdftext {

// A text drawn with QPainter::drawText at `at` (painter coordinates).
struct Run {
    QString text;
    QPointF at;
};

// `runs` in the order they were drawn. Returns the mended PDF, or the PDF
// unchanged when it cannot be read (the look is never at stake).
QByteArray mendText(const QByteArray& pdf, const std::vector<Run>& runs);

// The standard character a TLWG private-use shaped form stands for (U+F700
// to U+F71A), or 0 for any other code point.
char16_t standardThai(char16_t privateUse);

}  // namespace pdftext
