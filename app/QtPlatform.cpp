#include "app/QtPlatform.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <cstdio>

#include "app/ScreenFit.h"

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

namespace {

// `text` broken into lines at its blanks, each line at most `width` wide:
// a long prompt then never breaks inside a Thai word.
QString linesAtBlanks(const QString& text, const QFontMetrics& fm, int width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '))) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && fm.horizontalAdvance(longer) > width) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    lines << line;
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

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
    // The long month and formula lists stand on one line where the screen
    // has room; where it has not, they break at their blanks (between the
    // months), never where the line breaker would cut a Thai word.
    const int most = roomOnScreen(window_).width() * 9 / 10 - 40;
    const QFontMetrics fm(dlg.font());
    const int wide = fm.horizontalAdvance(prompt);
    for (QLabel* label : dlg.findChildren<QLabel*>()) label->setWordWrap(false);
    auto* layout = qobject_cast<QBoxLayout*>(dlg.layout());
    QLabel* label = dlg.findChild<QLabel*>();
    if (wide > most && layout && label) {
        // Shown in the prompt's place; the prompt itself stays the dialog's
        // label text, word for word.
        label->hide();
        layout->insertWidget(0, new QLabel(linesAtBlanks(prompt, fm, most), &dlg));
    }
    dlg.setMinimumWidth(std::min(std::max(420, std::min(wide, most) + 40), roomOnScreen(window_).width()));
    fitToScreen(&dlg, dlg.sizeHint());
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.textValue();
}

void QtPlatform::notice(const QString& text) {
    std::fprintf(stderr, "tarvon: %s\n", text.toUtf8().constData());
    if (onNotice) onNotice(text);
}

std::optional<QString> QtPlatform::askPdfPath(const QString& suggested) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(folder).isDir()) folder = QDir::homePath();
    const QString path = QFileDialog::getSaveFileName(
        window_, QStringLiteral("บันทึกรายการคำนวณเป็น PDF"), folder + QLatin1Char('/') + suggested,
        QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return std::nullopt;
    return path;
}

Printer* QtPlatform::pdfPrinter(const QString& path) {
    savePrinter_ = std::make_unique<PdfPrinter>(path);
    return savePrinter_.get();
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
