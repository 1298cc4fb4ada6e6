#include "platform/QtPlatform.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QBuffer>
#include <QFileInfo>

#include "platform/CupsJob.h"
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

Printer* QtPlatform::printer(QString* why) {
    if (!printer_.toPdf() && cups::defaultPrinter(why).isEmpty()) return nullptr;
    return &printer_;
}

void QtPlatform::endProgram() {
    window_->close();
    QCoreApplication::quit();
}

bool QtPrinter::endDoc(QString* error) {
    if (doc_.empty()) return true;  // nothing printed: no page, no job
    bool ok = false;
    if (toPdf()) {
        ok = writePdfFile(error);
    } else {
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        if (render(&pdf)) {
            ok = cups::printPdf(pdf.data(), QStringLiteral("Tarvon"), error);
        } else if (error) {
            *error = QStringLiteral("จัดหน้ารายการคำนวณไม่ได้");
        }
    }
    doc_.clear();
    return ok;
}

bool QtPrinter::writePdfFile(QString* error) {
    // Written beside the old file and renamed into place only when complete,
    // so a failure or a kill never leaves a truncated PDF where a good one was.
    const QFileInfo target(pdfPath_);
    if (target.exists() && !target.isFile()) {
        if (error) *error = QStringLiteral("%1 ไม่ใช่แฟ้มธรรมดา จึงไม่เขียนทับ").arg(pdfPath_);
        return false;
    }
    QSaveFile file(pdfPath_);
    const auto failed = [&] {
        if (error) {
            *error = QStringLiteral("เขียนแฟ้ม %1 ไม่ได้: %2").arg(pdfPath_, file.errorString());
        }
        file.cancelWriting();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly)) return failed();
    if (!render(&file) || file.error() != QFileDevice::NoError) return failed();
    if (!file.commit()) return failed();
    return true;
}

bool QtPrinter::render(QIODevice* out) {
    QPdfWriter writer(out);
    writer.setTitle(QStringLiteral("Tarvon"));
    writer.setCreator(QStringLiteral("Tarvon"));
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(10, 10, 10, 10), QPageLayout::Point));

    QPainter painter;
    if (!painter.begin(&writer)) return false;
    const QFont font = thaiFont(fontName_, fontSize_);
    painter.setFont(font);
    const QFontMetricsF fm(painter.font(), &writer);
    const double column = fm.averageCharWidth();
    const double lineHeight = fm.lineSpacing();
    const double pageHeight = writer.pageLayout().paintRectPixels(writer.resolution()).height();

    double y = fm.ascent();
    for (const print::Statement& s : doc_) {
        if (y + fm.descent() > pageHeight) {  // a long sheet goes on a new page
            writer.newPage();
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
