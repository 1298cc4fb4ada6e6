// Pango and Cairo, loaded when the first sheet is drawn rather than when the
// program starts: with what they bring (GIO, pixman, FriBidi, libthai, ...)
// they are nineteen libraries the window does not need to be shown. Only the
// functions PdfPages calls are taken, with their own declarations.
#pragma once

#include <cairo-pdf.h>
#include <pango/pangocairo.h>

#include <QString>

class LoadedLibrary;

#define TARVON_PANGOCAIRO_FUNCTIONS(X)                                                          \
    X(cairo_create) X(cairo_destroy) X(cairo_move_to) X(cairo_pdf_surface_create_for_stream)   \
    X(cairo_pdf_surface_set_metadata) X(cairo_show_page) X(cairo_surface_destroy)              \
    X(cairo_surface_finish) X(cairo_surface_status) X(cairo_version_string) X(g_list_free) X(g_object_unref)           \
    X(pango_attr_list_new) X(pango_attr_list_unref) X(pango_cairo_create_context)              \
    X(pango_cairo_show_glyph_item) X(pango_context_set_font_description)                       \
    X(pango_context_set_round_glyph_positions) X(pango_font_description_free)                  \
    X(pango_font_description_new) X(pango_font_description_set_absolute_size)                  \
    X(pango_font_description_set_family) X(pango_font_description_set_weight)                  \
    X(pango_glyph_string_free) X(pango_glyph_string_get_width) X(pango_glyph_string_new)       \
    X(pango_item_free) X(pango_itemize) X(pango_shape_with_flags)

struct PangoCairoLibrary {
#define TARVON_PANGOCAIRO_POINTER(name) decltype(&::name) name = nullptr;
    TARVON_PANGOCAIRO_FUNCTIONS(TARVON_PANGOCAIRO_POINTER)
#undef TARVON_PANGOCAIRO_POINTER

    // The libraries, loaded at the first call (once a process); nullptr
    // with the Thai reason in `why` when they are not installed.
    static const PangoCairoLibrary* get(QString* why);

    // Takes each function from the library (loadFunctions).
    void takeFrom(LoadedLibrary& library);
};
