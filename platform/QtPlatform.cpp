#include "platform/QtPlatform.h"

#include <QApplication>
#include <QBuffer>
#include <QFontMetricsF>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <cstdio>

#include "indexdata/ReplaceFile.h"
#include "platform/CupsJob.h"
#include "platform/PageText.h"
#include "platform/PdfText.h"

const QString QtPlatform::kTitle = QStringLiteral("Tarvon");
const QString QtPlatform::kOk = QStringLiteral("ตกลง");

QtPlatform::QtPlatform(QWidget* window, const QString& pdfPath)
    : window_(window), printer_(pdfPath) {
    jobTimer_.setInterval(1000);
    QObject::connect(&jobTimer_, &QTimer::timeout, window_, [this] { followJobs(); });
    printer_.onSubmitted = [this](const cups::Job& job) {
        followed_.push_back({job, 30 * 60});  // half an hour at most
        jobTimer_.start();
    };
}

void QtPlatform::followJobs() {
    std::vector<QString> failures;
    for (auto it = followed_.begin(); it != followed_.end();) {
        QString why;
        const cups::Outcome outcome = cups::jobOutcome(it->job, &why);
        if (outcome == cups::Outcome::Failed) failures.push_back(why);
        if (outcome != cups::Outcome::Waiting || --it->checksLeft <= 0)
            it = followed_.erase(it);
        else
            ++it;
    }
    if (followed_.empty()) jobTimer_.stop();
    // Said after the list is settled: a message box runs its own loop.
    for (const QString& why : failures)
        msgBox(why + QStringLiteral("\nรายการคำนวณจึงยังไม่ได้พิมพ์"));
}

std::optional<QString> QtPlatform::inputBox(const QString& prompt) {
    QInputDialog dlg(window_);
    dlg.setObjectName(QStringLiteral("inputBox"));
    dlg.setWindowTitle(kTitle);
    dlg.setInputMode(QInputDialog::TextInput);
    dlg.setLabelText(prompt);
    dlg.setTextValue(QString());
    // Qt has no Thai for its own buttons; every other word here is Thai.
    dlg.setOkButtonText(kOk);
    dlg.setCancelButtonText(QStringLiteral("ยกเลิก"));
    // The long month and formula lists wrap instead of widening the box.
    for (QLabel* label : dlg.findChildren<QLabel*>()) label->setWordWrap(true);
    dlg.setMinimumWidth(420);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.textValue();
}

void QtPlatform::msgBox(const QString& text) {
    // Also on standard error: a terminal or a session log keeps what was said.
    std::fprintf(stderr, "tarvon: %s\n", text.toUtf8().constData());
    QMessageBox box(QMessageBox::Warning, kTitle, text, QMessageBox::Ok, window_);
    box.setObjectName(QStringLiteral("msgBox"));
    box.button(QMessageBox::Ok)->setText(kOk);
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
    job_ = cups::Job();
    if (doc_.empty()) return true;  // nothing printed: no page, no job
    const std::optional<QByteArray> pdf = render();
    bool ok = false;
    if (!pdf) {
        if (error) *error = QStringLiteral("จัดหน้ารายการคำนวณไม่ได้");
    } else if (toPdf()) {
        ok = replaceFile(pdfPath_, *pdf, error);
    } else {
        job_ = cups::printPdf(*pdf, QStringLiteral("Tarvon"), error);
        ok = job_.id != 0;
        if (ok && onSubmitted) onSubmitted(job_);
    }
    discardDoc();
    return ok;
}

std::optional<QByteArray> QtPrinter::render() const {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    std::vector<pdftext::Run> runs;
    {
        QPdfWriter writer(&out);
        writer.setTitle(QStringLiteral("Tarvon"));
        writer.setCreator(QStringLiteral("Tarvon"));
        writer.setResolution(1200);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(10, 10, 10, 10), QPageLayout::Point));

        QPainter painter;
        if (!painter.begin(&writer)) return std::nullopt;
        PageText& text = PageText::forFont(fontName_, fontSize_, writer);
        painter.setFont(text.font());
        const QFontMetricsF& fm = text.metrics();
        const double column = fm.averageCharWidth();
        const double lineHeight = fm.lineSpacing();
        const double pageHeight = writer.pageLayout().paintRectPixels(writer.resolution()).height();
        double x = 0, y = fm.ascent();
        const auto draw = [&](const QString& run) {
            text.draw(painter, QPointF(x, y), run);
            runs.push_back({run, QPointF(x, y)});
        };
        // The texts between two column stops are drawn as one run, and
        // measured only where a column stop follows that needs to know
        // where it ended.
        size_t nextPage = 0;
        text.beginPage();
        for (size_t i = 0; i < doc_.size(); ++i) {
            const print::Statement& s = doc_[i];
            const bool breakHere = nextPage < pageStarts_.size() && pageStarts_[nextPage] == i;
            if (breakHere) ++nextPage;
            if (breakHere || y + fm.descent() > pageHeight) {  // a long sheet goes on a new page
                writer.newPage();
                text.beginPage();
                y = fm.ascent();
            }
            x = 0;
            QString run;
            for (const print::Item& item : s) {
                if (const auto* col = std::get_if<print::Col>(&item)) {
                    if (!run.isEmpty()) {
                        draw(run);
                        x += text.advance(run);
                        run.clear();
                    }
                    const double target = (col->n - 1) * column;
                    if (x > target + 1e-6) y += lineHeight;  // beyond it: same column, next line
                    x = target;
                } else {
                    run += print::itemText(item);
                }
            }
            if (!run.isEmpty()) draw(run);
            y += lineHeight;
        }
        if (!painter.end()) return std::nullopt;
    }
    return pdftext::mendText(out.data(), runs);
}
