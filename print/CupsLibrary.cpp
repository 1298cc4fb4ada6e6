#include "print/CupsLibrary.h"

#include "base/LoadedLibrary.h"

void CupsLibrary::takeFrom(LoadedLibrary& library) {
#define TARVON_TAKE(name) library.take(name, #name);
    TARVON_CUPS_FUNCTIONS(TARVON_TAKE)
#undef TARVON_TAKE
}

namespace {
const CupsLibrary* substituted = nullptr;
}  // namespace

void CupsLibrary::substitute(const CupsLibrary* functions) { substituted = functions; }

const CupsLibrary* CupsLibrary::get(QString* why) {
    if (substituted) return substituted;
    return loadFunctions<CupsLibrary>(
        "libcups.so.2", QStringLiteral("ใช้ระบบการพิมพ์ไม่ได้: ไม่พบไลบรารีของระบบการพิมพ์ (libcups) ที่ใช้ได้ (%1)"), why);
}
