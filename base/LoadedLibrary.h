// A shared library opened when a feature is first used rather than when the
// program starts, and the functions taken from it by name. The window's
// start-up loads only what showing the window needs; printing's libraries
// (the print system's, the PDF drawing's) come with the first sheet, the
// register's databases' with the first register.
//
// It only opens and looks up (dlopen, dlsym); what a missing library means
// to the user is worded by the caller.
#pragma once

#include <QString>

class LoadedLibrary {
  public:
    // Opens `soname`, keeping its symbols to itself; error() says why not.
    explicit LoadedLibrary(const char* soname);

    // `function` becomes `name` of the library or of a library it depends
    // on; the first name not found is kept in error().
    template <typename Function>
    void take(Function*& function, const char* name) {
        function = reinterpret_cast<Function*>(symbol(name));
    }

    // Empty when the library and every function taken were found.
    const QString& error() const { return error_; }

  private:
    void* symbol(const char* name);

    void* handle_ = nullptr;  // kept open for the rest of the process
    QString error_;
};

// The functions of `soname` in a `Functions` (a struct of function pointers
// with a takeFrom(LoadedLibrary&) that takes each), loaded at the first
// call, once a process; nullptr when the library or one of them is not
// there, with `why` set to `reason` and what is missing in place of its %1.
template <typename Functions>
const Functions* loadFunctions(const char* soname, const QString& reason, QString* why) {
    static const struct Loaded {
        Functions functions;
        QString error;
        explicit Loaded(const char* name) {
            LoadedLibrary library(name);
            functions.takeFrom(library);
            error = library.error();
        }
    } loaded(soname);
    if (loaded.error.isEmpty()) return &loaded.functions;
    if (why) *why = reason.arg(loaded.error);
    return nullptr;
}
