// The few things the verification reads from a PDF, as plain C functions
// of a module of our own (tarvon-pdftext.so, built on poppler-cpp): the
// document information's keys and values and each page's text as a text
// extractor gives it (pdftotext -raw). The module is opened only by
// tarvon-batch --verify (PdfText), so nothing else loads Poppler; its
// functions are looked up by these names. Texts are UTF-8, owned by the
// document and valid until the next call on it.
#pragma once

#include <cstddef>

// The module shows these functions alone.
#define TARVON_PDF_EXPORT __attribute__((visibility("default")))

extern "C" {

struct TarvonPdf;

enum TarvonPdfStatus { TARVON_PDF_OPENED = 0, TARVON_PDF_DAMAGED = 1, TARVON_PDF_LOCKED = 2 };

// The document at `path` (a file name in the system's encoding); nullptr
// with the reason in `status` when it cannot be read.
TARVON_PDF_EXPORT TarvonPdf* tarvon_pdf_open(const char* path, int* status);
TARVON_PDF_EXPORT void tarvon_pdf_close(TarvonPdf* pdf);
TARVON_PDF_EXPORT int tarvon_pdf_pages(TarvonPdf* pdf);
// The keys of the document information, one a line.
TARVON_PDF_EXPORT const char* tarvon_pdf_info_keys(TarvonPdf* pdf, size_t* size);
// The value of `key`; empty when the document has no such key.
TARVON_PDF_EXPORT const char* tarvon_pdf_info(TarvonPdf* pdf, const char* key, size_t* size);
// The text of page `page` (from 0), in the order it was drawn.
TARVON_PDF_EXPORT const char* tarvon_pdf_page_text(TarvonPdf* pdf, int page, size_t* size);
}
