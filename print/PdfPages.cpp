#include "print/PdfPages.h"

#include <QBuffer>
#include <QDateTime>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPdfWriter>
#include <map>
#include <utility>

#include "print/Fonts.h"
#include "print/PangoCairoLibrary.h"
#include "print/PdfInfoUpdate.h"

namespace {

// A4 portrait in points, 10 points of margin all round. The layout is
// reckoned in dots of 1200 per inch, the printer resolution the sheet was
// first laid out at; Cairo's PDF surface counts in points.
constexpr double kPageWidth = 595, kPageHeight = 842, kMargin = 10;
constexpr double kDpi = 1200, kPointsPerDot = 72.0 / kDpi;

// Where columns and lines fall for one font, in dots.
struct Geometry {
    QByteArray family;  // the font that is drawn (the stand-in where one is)
    double points = 0;  // its size, scaled as thaiFont scales it
    double column = 0, lineHeight = 0, ascent = 0, descent = 0;
    double pageHeight = 0;  // of the area inside the margins
};

Geometry measure(const QString& family, double points) {
    const QFont font = thaiFont(family, points);
    // The metrics are those of a printer of that resolution.
    QBuffer nowhere;
    QPdfWriter printer(&nowhere);
    printer.setResolution(int(kDpi));
    const QFontMetricsF fm(font, &printer);
    Geometry g;
    g.family = QFontInfo(font).family().toUtf8();
    g.points = font.pointSizeF();
    g.column = fm.averageCharWidth();
    g.lineHeight = fm.lineSpacing();
    g.ascent = fm.ascent();
    g.descent = fm.descent();
    g.pageHeight = (kPageHeight - 2 * kMargin) / kPointsPerDot;
    return g;
}

// Measuring asks fontconfig and Qt's font database: once per font a run.
const Geometry& geometry(const QString& family, double points) {
    static std::map<std::pair<QString, double>, Geometry> known;
    const auto key = std::make_pair(family, points);
    auto it = known.find(key);
    if (it == known.end()) it = known.emplace(key, measure(family, points)).first;
    return it->second;
}

// What Pango is given of a run: a tab is a blank, other control characters
// (the code-0 padding of a text never entered) print as nothing.
QByteArray printable(const QString& run) {
    QString text = run;
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.removeIf([](QChar c) { return c.unicode() < 0x20; });
    return text.toUtf8();
}

}  // namespace

struct PdfPages::Drawing {
    const PangoCairoLibrary& f;
    Sink sink;
    bool sinkFailed = false;
    const Geometry& g;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    PangoContext* context = nullptr;
    PangoAttrList* attributes = nullptr;
    bool pageEmpty = true;
    double y = 0;  // baseline of the next line, in dots
    int page = 1;       // the page being drawn, from 1
    int sheetPage = 0;  // where the sheet being printed began; 0 before its first statement
    // The facts of the sheets, page by page (those of the page in hand
    // still open), added to the document information once written.
    PdfInfoUpdate info;
    int factsPage = 0;
    QString pageFacts;
    QByteArray created = QDateTime::currentDateTimeUtc()
                             .toString(QStringLiteral("'D:'yyyyMMddHHmmss'Z'"))
                             .toLatin1();

    Drawing(const PangoCairoLibrary& library, Sink s, const Geometry& geometry)
        : f(library), sink(std::move(s)), g(geometry) {
        surface = f.cairo_pdf_surface_create_for_stream(&Drawing::write, this, kPageWidth,
                                                      kPageHeight);
        // The same title and creator go into the dictionary that replaces
        // Cairo's when sheets' facts are added (standardInfo).
        f.cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, "Tarvon");
        f.cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "Tarvon");
        cr = f.cairo_create(surface);
        context = f.pango_cairo_create_context(cr);
        // Glyphs where the font puts them, not rounded to whole points.
        f.pango_context_set_round_glyph_positions(context, FALSE);
        PangoFontDescription* font = f.pango_font_description_new();
        f.pango_font_description_set_family(font, g.family.constData());
        f.pango_font_description_set_weight(font, PANGO_WEIGHT_NORMAL);
        f.pango_font_description_set_absolute_size(font, g.points * PANGO_SCALE);
        f.pango_context_set_font_description(context, font);
        f.pango_font_description_free(font);
        attributes = f.pango_attr_list_new();
        y = g.ascent;
    }
    ~Drawing() {
        f.pango_attr_list_unref(attributes);
        f.g_object_unref(context);
        f.cairo_destroy(cr);
        f.cairo_surface_destroy(surface);
    }

    static cairo_status_t write(void* closure, const unsigned char* data, unsigned int size) {
        auto* self = static_cast<Drawing*>(closure);
        self->info.see(reinterpret_cast<const char*>(data), size);
        if (!self->sinkFailed && !self->sink(reinterpret_cast<const char*>(data), size))
            self->sinkFailed = true;
        return self->sinkFailed ? CAIRO_STATUS_WRITE_ERROR : CAIRO_STATUS_SUCCESS;
    }

    void newPage() {
        f.cairo_show_page(cr);
        pageEmpty = true;
        y = g.ascent;
        ++page;
    }

    // One key a page, TarvonSheet1 for page 1; two sheets on one page (no
    // page break between them) share it, a line each.
    void addFacts(const QString& line) {
        const int at = sheetPage ? sheetPage : page;
        if (at != factsPage) {
            flushFacts();
            factsPage = at;
        } else {
            pageFacts += QLatin1Char('\n');
        }
        pageFacts += line;
    }
    void flushFacts() {
        if (factsPage) info.add("TarvonSheet" + QByteArray::number(factsPage), pageFacts);
        factsPage = 0;
        pageFacts.clear();
    }
    // The entries of the dictionary Cairo wrote, which the update replaces.
    QByteArray standardInfo() const {
        return "/Title (Tarvon) /Creator (Tarvon) /Producer " +
               PdfInfoUpdate::pdfString(QStringLiteral("cairo %1 (https://cairographics.org)")
                                            .arg(QLatin1String(f.cairo_version_string()))) +
               " /CreationDate (" + created + ')';
    }

    // Draws `run` with its baseline starting at (x, y) dots; its advance.
    // A run is one line of one direction: it is itemized (split where the
    // font changes) and shaped, with no line breaking to work out.
    double draw(const QString& run, double x) {
        const QByteArray text = printable(run);
        const int length = int(text.size());
        if (length == 0) return 0;
        double at = kMargin + x * kPointsPerDot;
        const double baseline = kMargin + y * kPointsPerDot;
        GList* items = f.pango_itemize(context, text.constData(), 0, length, attributes, nullptr);
        PangoGlyphString* glyphs = f.pango_glyph_string_new();
        for (GList* l = items; l; l = l->next) {
            auto* item = static_cast<PangoItem*>(l->data);
            f.pango_shape_with_flags(text.constData() + item->offset, item->length, text.constData(),
                                   length, &item->analysis, glyphs, PANGO_SHAPE_NONE);
            // The item is drawn as one cluster: its text goes into the PDF
            // as written (ActualText), not pieced together from glyphs,
            // whose order and spacing for Thai marks an extractor cannot know.
            for (int i = 0; i < glyphs->num_glyphs; ++i) glyphs->log_clusters[i] = 0;
            PangoGlyphItem drawn{item, glyphs, 0, 0, 0};
            f.cairo_move_to(cr, at, baseline);
            f.pango_cairo_show_glyph_item(cr, text.constData(), &drawn);
            at += double(f.pango_glyph_string_get_width(glyphs)) / PANGO_SCALE;
            f.pango_item_free(item);
        }
        f.pango_glyph_string_free(glyphs);
        f.g_list_free(items);
        pageEmpty = false;
        return (at - kMargin) / kPointsPerDot - x;
    }
};

bool PdfPages::canDraw(QString* why) { return PangoCairoLibrary::get(why) != nullptr; }

PdfPages::PdfPages(const QString& family, double points, Sink sink)
    : d_(std::make_unique<Drawing>(*PangoCairoLibrary::get(nullptr), std::move(sink),
                                   geometry(family, points))) {}

PdfPages::~PdfPages() = default;

void PdfPages::pageBreak() {
    if (!d_->pageEmpty) d_->newPage();
    d_->sheetPage = 0;
}

void PdfPages::sheetFacts(const QString& line) { d_->addFacts(line); }

void PdfPages::print(const print::Statement& s) {
    Drawing& d = *d_;
    const Geometry& g = d.g;
    if (d.y + g.descent > g.pageHeight) d.newPage();  // a long sheet goes on a new page
    if (!d.sheetPage) d.sheetPage = d.page;
    // The texts between two column stops are drawn as one run.
    double x = 0;
    QString run;
    for (const print::Item& item : s) {
        if (const auto* col = std::get_if<print::Col>(&item)) {
            if (!run.isEmpty()) {
                x += d.draw(run, x);
                run.clear();
            }
            const double target = (col->n - 1) * g.column;
            if (x > target + 1e-6) d.y += g.lineHeight;  // beyond it: same column, next line
            x = target;
        } else {
            run += print::itemText(item);
        }
    }
    if (!run.isEmpty()) d.draw(run, x);
    d.y += g.lineHeight;
}

bool PdfPages::finish() {
    Drawing& d = *d_;
    d.flushFacts();
    d.f.cairo_surface_finish(d.surface);
    if (d.f.cairo_surface_status(d.surface) != CAIRO_STATUS_SUCCESS || d.sinkFailed) return false;
    if (d.info.empty()) return true;
    // A document whose facts cannot be added is not passed off as whole.
    const QByteArray update = d.info.update(d.standardInfo());
    return !update.isEmpty() && d.sink(update.constData(), size_t(update.size()));
}
