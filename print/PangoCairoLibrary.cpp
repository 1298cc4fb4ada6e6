#include "print/PangoCairoLibrary.h"

#include "base/LoadedLibrary.h"

void PangoCairoLibrary::takeFrom(LoadedLibrary& library) {
#define TARVON_TAKE(name) library.take(name, #name);
    TARVON_PANGOCAIRO_FUNCTIONS(TARVON_TAKE)
#undef TARVON_TAKE
}

const PangoCairoLibrary* PangoCairoLibrary::get(QString* why) {
    // Pango's Cairo part depends on Pango, Cairo and GLib: every function
    // is found through it.
    return loadFunctions<PangoCairoLibrary>(
        "libpangocairo-1.0.so.0", QStringLiteral("จัดหน้ารายการคำนวณไม่ได้: ไม่พบไลบรารีจัดหน้า (Pango, Cairo) ที่ใช้ได้ (%1)"), why);
}
