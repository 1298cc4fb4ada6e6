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
    // The stand-in is measured at a fixed pixel size, so the scale does not
    // depend on the screen's or the printer's resolution; which font that
    // is, is asked at the same size (one font loaded, not two).
    QFont probe(font);
    probe.setPixelSize(100);
    const QString standIn = QFontInfo(probe).family();
    if (standIn.compare(family, Qt::CaseInsensitive) == 0) return font;
    const double averageEm = QFontMetricsF(probe).averageCharWidth() / 100.0;
    if (averageEm > 0) font.setPointSizeF(points * kBrowalliaAverageEm / averageEm);
    // Named by its own family: a family that is not installed sends every
    // later lookup (each size, each script of a text) to fontconfig again.
    font.setFamily(standIn);
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
