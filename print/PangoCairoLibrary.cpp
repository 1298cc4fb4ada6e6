#include "print/PangoCairoLibrary.h"

#include "print/LoadedLibrary.h"

const PangoCairoLibrary* PangoCairoLibrary::get(QString* why) {
    static const struct Loaded {
        PangoCairoLibrary functions;
        QString error;
        Loaded() {
            // Pango's Cairo part depends on Pango, Cairo and GLib: every
            // function is found through it.
            LoadedLibrary library("libpangocairo-1.0.so.0");
#define TARVON_PANGOCAIRO_TAKE(name) library.take(functions.name, #name);
            TARVON_PANGOCAIRO_FUNCTIONS(TARVON_PANGOCAIRO_TAKE)
#undef TARVON_PANGOCAIRO_TAKE
            error = library.error();
        }
    } loaded;
    if (loaded.error.isEmpty()) return &loaded.functions;
    if (why)
        *why = QStringLiteral("จัดหน้ารายการคำนวณไม่ได้: ไม่พบไลบรารีจัดหน้า (Pango, Cairo) ที่ใช้ได้ (%1)")
                   .arg(loaded.error);
    return nullptr;
}
