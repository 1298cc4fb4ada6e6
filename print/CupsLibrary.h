// libcups, loaded when a sheet first goes to a printer rather than when the
// program starts: most sessions never print, and loading the print system's
// library (and what it brings) is the largest part of the window's start-up
// beyond Qt's own. Only the functions CupsJob calls are taken, with their
// own declarations from <cups/cups.h>.
#pragma once

#include <cups/cups.h>

#include <QString>

class LoadedLibrary;

#define TARVON_CUPS_FUNCTIONS(X)                                                                  \
    X(cupsCancelJob2)                                                                            \
    X(cupsCreateJob) X(cupsDoRequest) X(cupsEncryption) X(cupsFinishDocument) X(cupsFreeDests)   \
    X(cupsGetNamedDest) X(cupsGetOption) X(cupsLastError) X(cupsLastErrorString) X(cupsServer)   \
    X(cupsStartDocument) X(cupsUser) X(cupsWriteRequestData) X(httpAssembleURIf) X(httpClose)    \
    X(httpConnect2) X(ippAddString) X(ippAddStrings) X(ippDelete) X(ippFindAttribute)            \
    X(ippGetInteger) X(ippGetString) X(ippNewRequest) X(ippPort)

struct CupsLibrary {
#define TARVON_CUPS_POINTER(name) decltype(&::name) name = nullptr;
    TARVON_CUPS_FUNCTIONS(TARVON_CUPS_POINTER)
#undef TARVON_CUPS_POINTER

    // The library, loaded at the first call (once a process); nullptr with
    // the Thai reason in `why` when it is not installed.
    static const CupsLibrary* get(QString* why);

    // Takes each function from the library (loadFunctions).
    void takeFrom(LoadedLibrary& library);

    // Puts `functions` in the library's place for every call that follows
    // (a test's own print system, to be what no real server can be made to
    // be); nullptr puts the library back.
    static void substitute(const CupsLibrary* functions);
};
