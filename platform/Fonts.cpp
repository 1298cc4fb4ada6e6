#include "platform/Fonts.h"

#include <QFontInfo>
#include <QFontMetricsF>

QFont thaiFont(const QString& family, double points) {
    QFont font(family);
    font.setWeight(QFont::Normal);
    font.setPointSizeF(points);
    if (QFontInfo(font).family().compare(family, Qt::CaseInsensitive) == 0) return font;

    // Measure the stand-in at a fixed pixel size, so the scale does not
    // depend on the screen's or the printer's resolution.
    QFont probe(font);
    probe.setPixelSize(100);
    const double averageEm = QFontMetricsF(probe).averageCharWidth() / 100.0;
    if (averageEm > 0) font.setPointSizeF(points * kBrowalliaAverageEm / averageEm);
    return font;
}
