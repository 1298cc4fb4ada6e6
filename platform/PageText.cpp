#include "platform/PageText.h"

#include <QCoreApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include "platform/Fonts.h"

namespace {

// Enough for the texts of a long contract; the store starts over past it.
constexpr qsizetype kMostTexts = 20000;

// Tabs and line breaks are laid out differently by QTextLayout than by
// drawText: such a text is always drawn directly.
bool plainLine(const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return false;
    return true;
}

}  // namespace

PageText::PageText(const QString& family, double points, const QPaintDevice& device)
    : family_(family),
      points_(points),
      dpi_(device.logicalDpiY()),
      font_(thaiFont(family, points)),
      metrics_(font_, &device) {}

std::unique_ptr<PageText>& PageText::store() {
    static std::unique_ptr<PageText> store;
    return store;
}

PageText& PageText::forFont(const QString& family, double points, const QPaintDevice& device) {
    std::unique_ptr<PageText>& s = store();
    if (!s) {
        // The kept glyph runs hold fonts: let them go while the
        // application that made them still exists.
        qAddPostRoutine([] { store().reset(); });
    }
    if (!s || s->family_ != family || s->points_ != points || s->dpi_ != device.logicalDpiY())
        s.reset(new PageText(family, points, device));
    return *s;
}

double PageText::advance(const QString& text) {
    auto it = advances_.constFind(text);
    if (it != advances_.cend()) return it.value();
    if (advances_.size() >= kMostTexts) advances_.clear();
    return advances_.insert(text, metrics_.horizontalAdvance(text)).value();
}

void PageText::draw(QPainter& painter, const QPointF& at, const QString& text) {
    auto it = seen_.find(text);
    if (it == seen_.end() || (!it->shaped && it->page == page_) || !plainLine(text)) {
        if (it == seen_.end()) {
            if (seen_.size() >= kMostTexts) seen_.clear();
            seen_.insert(text, Seen{page_, false, {}});
        }
        painter.drawText(at, text);
        return;
    }
    for (const QGlyphRun& run : shape(*it, text, painter.device())) painter.drawGlyphRun(at, run);
}

const QList<QGlyphRun>& PageText::shape(Seen& seen, const QString& text, QPaintDevice* page) {
    if (seen.shaped) return seen.runs;
    // Laid out for the page, so that the glyphs are placed at its resolution.
    QTextLayout layout(text, font_, page);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e9);
    layout.endLayout();
    seen.runs = layout.glyphRuns();
    for (QGlyphRun& run : seen.runs) {
        QList<QPointF> positions = run.positions();
        for (QPointF& p : positions) p.ry() -= line.ascent();
        run.setPositions(positions);
    }
    seen.shaped = true;
    return seen.runs;
}

qsizetype PageText::shapedTexts() const {
    qsizetype n = 0;
    for (const Seen& s : seen_) n += s.shaped;
    return n;
}
