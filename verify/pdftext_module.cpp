// The module behind PdfTextModule.h: Poppler's C++ interface, linked here
// only, so that the programs themselves never load Poppler.
#include <poppler-document.h>
#include <poppler-page.h>

#include <memory>
#include <string>

#include "verify/PdfTextModule.h"

struct TarvonPdf {
    std::unique_ptr<poppler::document> doc;
    std::string text;  // what the last call handed out
};

namespace {

const char* handOut(TarvonPdf* pdf, std::string text, size_t* size) {
    pdf->text = std::move(text);
    if (size) *size = pdf->text.size();
    return pdf->text.c_str();
}

std::string utf8(const poppler::ustring& s) {
    const poppler::byte_array bytes = s.to_utf8();
    return std::string(bytes.begin(), bytes.end());
}

// Poppler's complaints about a damaged file would go to standard error:
// the caller words what matters.
void quiet(const std::string&, void*) {}

}  // namespace

extern "C" {

TarvonPdf* tarvon_pdf_open(const char* path, int* status) {
    poppler::set_debug_error_function(quiet, nullptr);
    std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(path));
    if (!doc) {
        *status = TARVON_PDF_DAMAGED;
        return nullptr;
    }
    if (doc->is_locked()) {
        *status = TARVON_PDF_LOCKED;
        return nullptr;
    }
    *status = TARVON_PDF_OPENED;
    auto* pdf = new TarvonPdf;
    pdf->doc = std::move(doc);
    return pdf;
}

void tarvon_pdf_close(TarvonPdf* pdf) { delete pdf; }

int tarvon_pdf_pages(TarvonPdf* pdf) { return pdf->doc->pages(); }

const char* tarvon_pdf_info_keys(TarvonPdf* pdf, size_t* size) {
    std::string keys;
    for (const std::string& key : pdf->doc->info_keys()) keys += key + '\n';
    return handOut(pdf, std::move(keys), size);
}

const char* tarvon_pdf_info(TarvonPdf* pdf, const char* key, size_t* size) {
    return handOut(pdf, utf8(pdf->doc->info_key(key)), size);
}

const char* tarvon_pdf_page_text(TarvonPdf* pdf, int page, size_t* size) {
    std::unique_ptr<poppler::page> p(pdf->doc->create_page(page));
    if (!p) return handOut(pdf, std::string(), size);
    return handOut(pdf, utf8(p->text(poppler::rectf(), poppler::page::raw_order_layout)), size);
}
}
