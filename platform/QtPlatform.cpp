#include "platform/QtPlatform.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/Fonts.h"

const QString QtPlatform::kTitle = QStringLiteral("Tarvon");

std::optional<QString> QtPlatform::inputBox(const QString& prompt) {
    QInputDialog dlg(window_);
    dlg.setObjectName(QStringLiteral("inputBox"));
    dlg.setWindowTitle(kTitle);
    dlg.setInputMode(QInputDialog::TextInput);
    dlg.setLabelText(prompt);
    dlg.setTextValue(QString());
    // The long month and formula lists wrap instead of widening the box.
    for (QLabel* label : dlg.findChildren<QLabel*>()) label->setWordWrap(true);
    dlg.setMinimumWidth(420);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.textValue();
}

void QtPlatform::msgBox(const QString& text) {
    QMessageBox box(QMessageBox::Warning, kTitle, text, QMessageBox::Ok, window_);
    box.setObjectName(QStringLiteral("msgBox"));
    box.exec();
}

void QtPlatform::beep() { QApplication::beep(); }

Printer* QtPlatform::printer() {
    if (!printer_.toPdf() && QPrinterInfo::defaultPrinter().isNull()) return nullptr;
    return &printer_;
}

void QtPlatform::endProgram() {
    window_->close();
    QCoreApplication::quit();
}

void QtPrinter::endDoc() {
    if (doc_.empty()) return;  // nothing printed: no page, no job
    QString error;
    const bool ok = render(&error);
    doc_.clear();
    if (!ok) {
        QMessageBox box(QMessageBox::Warning, QtPlatform::kTitle,
                        QStringLiteral("พิมพ์รายการคำนวณไม่สำเร็จ: ") + error, QMessageBox::Ok,
                        parent_);
        box.exec();
    }
}

bool QtPrinter::render(QString* error) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Tarvon"));
    if (toPdf()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath_);
        printer.setPageSize(QPageSize(QPageSize::A4));
    } else {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) {
            *error = QStringLiteral("ไม่พบเครื่องพิมพ์");
            return false;
        }
        printer.setPrinterName(info.printerName());
    }
    printer.setPageOrientation(QPageLayout::Portrait);

    QPainter painter;
    if (!painter.begin(&printer)) {
        *error = toPdf() ? QStringLiteral("เขียนแฟ้ม %1 ไม่ได้").arg(pdfPath_)
                         : QStringLiteral("เริ่มงานพิมพ์ไม่ได้");
        return false;
    }
    const QFont font = thaiFont(fontName_, fontSize_);
    painter.setFont(font);
    const QFontMetricsF fm(painter.font(), &printer);
    const double column = fm.averageCharWidth();
    const double lineHeight = fm.lineSpacing();
    const double pageHeight = printer.pageLayout().paintRectPixels(printer.resolution()).height();

    double y = fm.ascent();
    for (const print::Statement& s : doc_) {
        if (y + fm.descent() > pageHeight) {  // a long sheet goes on a new page
            printer.newPage();
            y = fm.ascent();
        }
        double x = 0;
        for (const print::Item& item : s) {
            if (const auto* col = std::get_if<print::Col>(&item)) {
                const double target = (col->n - 1) * column;
                if (x > target + 1e-6) y += lineHeight;  // beyond it: same column, next line
                x = target;
            } else {
                const QString text = print::itemText(item);
                painter.drawText(QPointF(x, y), text);
                x += fm.horizontalAdvance(text);
            }
        }
        y += lineHeight;
    }
    return painter.end();
}
