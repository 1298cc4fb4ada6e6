#include "verify/PdfText.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "base/LoadedLibrary.h"
#include "base/SystemFiles.h"
#include "verify/PdfTextModule.h"

#define TARVON_PDFTEXT_FUNCTIONS(X)                                                    \
    X(tarvon_pdf_open)                                                                 \
    X(tarvon_pdf_close) X(tarvon_pdf_pages) X(tarvon_pdf_info_keys) X(tarvon_pdf_info) \
        X(tarvon_pdf_page_text)

struct PdfTextLibrary {
#define TARVON_PDFTEXT_POINTER(name) decltype(&::name) name = nullptr;
    TARVON_PDFTEXT_FUNCTIONS(TARVON_PDFTEXT_POINTER)
#undef TARVON_PDFTEXT_POINTER

    void takeFrom(LoadedLibrary& library) {
#define TARVON_TAKE(name) library.take(name, #name);
        TARVON_PDFTEXT_FUNCTIONS(TARVON_TAKE)
#undef TARVON_TAKE
    }

    // The module beside the program (a build tree), else where the
    // package puts it.
    static const PdfTextLibrary* get(QString* why) {
        const QString here = QCoreApplication::applicationDirPath();
        QString module = here + QStringLiteral("/tarvon-pdftext.so");
        if (!QFileInfo::exists(module))
            module = here + QStringLiteral("/" TARVON_MODULE_DIR_FROM_BIN "/tarvon-pdftext.so");
        const QByteArray name = QFile::encodeName(module);
        return loadFunctions<PdfTextLibrary>(
            name.constData(), QStringLiteral("อ่านแฟ้ม PDF ไม่ได้: ไม่พบส่วนอ่าน PDF ของโปรแกรม (%1)"),
            why);
    }
};

PdfText::~PdfText() {
    if (pdf_) f_->tarvon_pdf_close(pdf_);
}

PdfText::Opened PdfText::open(const QString& path, QString* why) {
    // A FIFO or a device is refused rather than read; a file that does not
    // begin as a PDF is said to be none, before any library is loaded.
    QFile file;
    if (!openRegularFile(file, path, why)) return Opened::Unreadable;
    const QByteArray head = file.read(1024);
    if (file.error() != QFileDevice::NoError) {
        *why = lastSystemReason();
        return Opened::Unreadable;
    }
    if (!head.contains("%PDF-")) {
        *why = QStringLiteral("ไม่ใช่แฟ้ม PDF");
        return Opened::NotPdf;
    }
    file.close();
    f_ = PdfTextLibrary::get(why);
    if (!f_) return Opened::Unreadable;
    int status = TARVON_PDF_OPENED;
    pdf_ = f_->tarvon_pdf_open(QFile::encodeName(path).constData(), &status);
    if (!pdf_) {
        *why = status == TARVON_PDF_LOCKED ? QStringLiteral("แฟ้ม PDF ถูกล็อกด้วยรหัสผ่าน")
                                           : QStringLiteral("แฟ้ม PDF เสีย อ่านไม่ได้");
        return Opened::Unreadable;
    }
    pages_ = f_->tarvon_pdf_pages(pdf_);
    return Opened::Yes;
}

namespace {
QString text(const char* utf8, size_t size) {
    return utf8 ? QString::fromUtf8(utf8, qsizetype(size)) : QString();
}
}  // namespace

QStringList PdfText::infoKeys() {
    size_t size = 0;
    const char* keys = f_->tarvon_pdf_info_keys(pdf_, &size);
    return text(keys, size).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString PdfText::info(const QString& key) {
    size_t size = 0;
    const char* value = f_->tarvon_pdf_info(pdf_, key.toLatin1().constData(), &size);
    return text(value, size);
}

QString PdfText::pageText(int n) {
    size_t size = 0;
    const char* page = f_->tarvon_pdf_page_text(pdf_, n - 1, &size);
    return text(page, size);
}
