// The lower bound of a sheet on paper, as a module of its own: the same
// texts where the sheet puts them, in the same font, with nothing but the
// library the sheet is drawn with: each text itemized, shaped and its
// glyphs shown on Cairo's PDF surface, into a file (stdio's buffering). Its
// text is as exact as the sheet's: each item written as its characters (one
// cluster), which a PDF needs for Thai marks to come back in order.
//
// A module, opened by the bench when it first draws, so that a first print
// of a process pays for loading Pango and Cairo on both sides, as the
// program's first print does.
#include <cairo-pdf.h>
#include <pango/pangocairo.h>

#include <cstring>

// texts[i] (UTF-8) with its baseline starting at (xs[i], ys[i]) points from
// the page's top left; a text "\f" alone starts a new page. `points` of
// `family`.
extern "C" void tarvon_bare_pages(const char* path, const char* family, double points,
                                  const double* xs, const double* ys, const char* const* texts,
                                  int count) {
    cairo_surface_t* surface = cairo_pdf_surface_create(path, 595, 842);
    cairo_t* cr = cairo_create(surface);
    PangoContext* context = pango_cairo_create_context(cr);
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, family);
    pango_font_description_set_absolute_size(desc, points * PANGO_SCALE);
    pango_context_set_font_description(context, desc);
    PangoAttrList* attributes = pango_attr_list_new();
    PangoGlyphString* glyphs = pango_glyph_string_new();
    for (int n = 0; n < count; ++n) {
        const char* text = texts[n];
        if (std::strcmp(text, "\f") == 0) {
            cairo_show_page(cr);
            continue;
        }
        const int length = int(std::strlen(text));
        GList* items = pango_itemize(context, text, 0, length, attributes, nullptr);
        double x = xs[n];
        for (GList* l = items; l; l = l->next) {
            auto* item = static_cast<PangoItem*>(l->data);
            pango_shape_with_flags(text + item->offset, item->length, text, length, &item->analysis,
                                   glyphs, PANGO_SHAPE_NONE);
            for (int i = 0; i < glyphs->num_glyphs; ++i) glyphs->log_clusters[i] = 0;
            PangoGlyphItem run{item, glyphs, 0, 0, 0};
            cairo_move_to(cr, x, ys[n]);
            pango_cairo_show_glyph_item(cr, text, &run);
            x += double(pango_glyph_string_get_width(glyphs)) / PANGO_SCALE;
            pango_item_free(item);
        }
        g_list_free(items);
    }
    pango_glyph_string_free(glyphs);
    pango_attr_list_unref(attributes);
    pango_font_description_free(desc);
    g_object_unref(context);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
