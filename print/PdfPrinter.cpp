#include "print/PdfPrinter.h"

#include <QDir>

#include "base/SystemFiles.h"

PdfPrinter::~PdfPrinter() { discardDoc(); }

void PdfPrinter::begin() {
    if (!PdfPages::canDraw(&failure_)) return;  // before any file or job exists
    PdfPages::Sink sink;
    if (toPdf()) {
        file_ = std::make_unique<FileReplacement>(pdfPath_);
        if (!file_->begin(&failure_)) return;
        sink = [f = file_.get()](const char* data, size_t size) { return f->write(data, size); };
    } else {
        spool_ = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                  QStringLiteral("/tarvon-XXXXXX.pdf"));
        if (!spool_->open()) {
            failure_ = QStringLiteral("เตรียมงานพิมพ์ไม่ได้: %1").arg(lastSystemReason());
            return;
        }
        sink = [f = spool_.get()](const char* data, size_t size) {
            return f->write(data, qint64(size)) == qint64(size);
        };
    }
    pages_ = std::make_unique<PdfPages>(fontName_, fontSize_, std::move(sink));
}

void PdfPrinter::print(const print::Statement& s) {
    if (!pages_ && failure_.isEmpty()) begin();
    if (pages_) pages_->print(s);
}

void PdfPrinter::sheetFacts(const QString& line) {
    if (pages_) pages_->sheetFacts(line);
}

void PdfPrinter::pageBreak() {
    if (pages_) pages_->pageBreak();
}

bool PdfPrinter::endDoc(QString* error) {
    job_ = cups::Job();
    sentTo_.clear();
    if (!pages_ && failure_.isEmpty()) return true;  // nothing printed: no page, no job
    const auto fail = [&](const QString& why) {
        if (error) *error = why;
        discardDoc();
        return false;
    };
    if (!failure_.isEmpty()) return fail(failure_);
    const bool whole = pages_->finish();
    bool ok = false;
    if (toPdf()) {
        // A write that failed is worded by commit, with the system's reason.
        if (!whole && !file_->failed()) return fail(QStringLiteral("จัดหน้ารายการคำนวณไม่ได้"));
        ok = file_->commit(error);
        if (ok) sentTo_ = QStringLiteral("บันทึกรายการคำนวณลงแฟ้ม %1 แล้ว").arg(pdfPath_);
    } else {
        if (!whole)
            return fail(QStringLiteral("เตรียมงานพิมพ์ไม่ได้: %1").arg(lastSystemReason()));
        spool_->seek(0);
        job_ = cups::printPdf(*spool_, QStringLiteral("Tarvon"), error);
        ok = job_.id != 0;
        if (ok)
            sentTo_ = QStringLiteral("ส่งรายการคำนวณไปที่เครื่องพิมพ์ \"%1\" แล้ว (งานพิมพ์หมายเลข %2)")
                          .arg(job_.printer)
                          .arg(job_.id);
        if (ok && onSubmitted) onSubmitted(job_);
    }
    discardDoc();
    return ok;
}

void PdfPrinter::discardDoc() {
    pages_.reset();
    file_.reset();
    spool_.reset();
    failure_.clear();
}
