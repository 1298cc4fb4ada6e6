#include "base/LoadedLibrary.h"

#include <dlfcn.h>

LoadedLibrary::LoadedLibrary(const char* soname) {
    handle_ = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) error_ = QString::fromLocal8Bit(::dlerror());
}

void* LoadedLibrary::symbol(const char* name) {
    void* found = handle_ ? ::dlsym(handle_, name) : nullptr;
    if (!found && error_.isEmpty()) error_ = QString::fromLatin1(name);
    return found;
}
