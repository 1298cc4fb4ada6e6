#include "print/CupsLibrary.h"

#include "print/LoadedLibrary.h"

const CupsLibrary* CupsLibrary::get(QString* why) {
    static const struct Loaded {
        CupsLibrary functions;
        QString error;
        Loaded() {
            LoadedLibrary library("libcups.so.2");
#define TARVON_CUPS_TAKE(name) library.take(functions.name, #name);
            TARVON_CUPS_FUNCTIONS(TARVON_CUPS_TAKE)
#undef TARVON_CUPS_TAKE
            error = library.error();
        }
    } loaded;
    if (loaded.error.isEmpty()) return &loaded.functions;
    if (why)
        *why = QStringLiteral("ใช้ระบบการพิมพ์ไม่ได้: ไม่พบไลบรารีของระบบการพิมพ์ (libcups) ที่ใช้ได้ (%1)")
                   .arg(loaded.error);
    return nullptr;
}
