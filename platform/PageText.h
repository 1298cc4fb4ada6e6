// The sheet's font on the PDF page: how wide a text is and how it is drawn.
//
// QPainter::drawText shapes its text afresh on every call, and a sheet's
// texts come back from sheet to sheet (the labels, "=", "บาท", the same
// price). A text met again on a later page than the one it first appeared
// on is shaped once into glyph runs, and from then on drawn from those;
// the page looks the same either way. A text new to the page is drawn
// directly: shaping it into a run to keep costs more than drawing it once
// (the layout also looks up Thai word breaks, which loads a dictionary),
// and most numbers never recur. Widths are measured once per text.
//
// One store serves the process, for one font on one resolution at a time;
// it is emptied when either changes or when it fills up. Used from the
// printing thread only.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QString>
#include <memory>

class QPainter;
class QPaintDevice;

class PageText {
  public:
    // The store for `points` of `family` on a page of `device`'s resolution.
    static PageText& forFont(const QString& family, double points, const QPaintDevice& device);

    const QFont& font() const { return font_; }
    const QFontMetricsF& metrics() const { return metrics_; }

    // Every page calls this before it draws.
    void beginPage() { ++page_; }
    double advance(const QString& text);
    // Draws `text` with its baseline starting at `at`, on a page of the
    // store's font and resolution.
    void draw(QPainter& painter, const QPointF& at, const QString& text);

    // How many texts are kept as glyph runs.
    qsizetype shapedTexts() const;

  private:
    PageText(const QString& family, double points, const QPaintDevice& device);
    static std::unique_ptr<PageText>& store();

    struct Seen {
        long long page = 0;  // where the text first appeared
        bool shaped = false;
        QList<QGlyphRun> runs;  // baseline at y = 0
    };
    const QList<QGlyphRun>& shape(Seen& seen, const QString& text, QPaintDevice* page);

    QString family_;
    double points_;
    int dpi_;
    QFont font_;
    QFontMetricsF metrics_;
    QHash<QString, double> advances_;
    QHash<QString, Seen> seen_;
    long long page_ = 0;
};
