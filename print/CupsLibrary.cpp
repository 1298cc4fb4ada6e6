#include "print/CupsLibrary.h"

#include <dlfcn.h>

const CupsLibrary* CupsLibrary::get(QString* why) {
    static const struct Loaded {
        CupsLibrary functions;
        QString error;
        Loaded() {
            void* handle = ::dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
            if (!handle) {
                error = QString::fromLocal8Bit(::dlerror());
                return;
            }
#define TARVON_CUPS_RESOLVE(name)                                                         \
    functions.name = reinterpret_cast<decltype(functions.name)>(::dlsym(handle, #name)); \
    if (!functions.name && error.isEmpty()) error = QStringLiteral(#name);
            TARVON_CUPS_FUNCTIONS(TARVON_CUPS_RESOLVE)
#undef TARVON_CUPS_RESOLVE
        }
    } loaded;
    if (loaded.error.isEmpty()) return &loaded.functions;
    if (why)
        *why = QStringLiteral("ใช้ระบบการพิมพ์ไม่ได้: ไม่พบไลบรารีของระบบการพิมพ์ (libcups) ที่ใช้ได้ (%1)")
                   .arg(loaded.error);
    return nullptr;
}
