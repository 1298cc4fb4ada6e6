#include "print/Fonts.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <map>
#include <utility>

namespace {

QFont lookUp(const QString& family, double points) {
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

}  // namespace

QFont thaiFont(const QString& family, double points) {
    // Asking fontconfig which font stands in, and measuring it, costs more
    // than a whole sheet's layout: done once per family and size a run.
    static std::map<std::pair<QString, double>, QFont> fonts;
    const auto key = std::make_pair(family, points);
    auto it = fonts.find(key);
    if (it == fonts.end()) it = fonts.emplace(key, lookUp(family, points)).first;
    return it->second;
}
