#include "app/QtPlatform.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

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
