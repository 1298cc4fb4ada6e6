#include "app/QtPlatform.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
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
    // The program's own words on its buttons, whatever Qt's catalogue says.
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

namespace {

// The file dialog's columns of size, type and date in Thai whatever the
// desktop's language: Qt gives them in the locale's words ("PDF document",
// "12.5 KiB", "9/14/24 3:45 PM"), which Qt's catalogue does not reach.
// Dates are day/month/Buddhist year, as everywhere in the program.
class ThaiFileColumns : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() == 0)
            return QIdentityProxyModel::data(index, role);
        const QFileInfo info = files->fileInfo(mapToSource(index));
        switch (index.column()) {
            case 1: return info.isDir() ? QString() : size(info.size());
            case 2: return type(info);
            case 3: return modified(info.lastModified());
            default: return QIdentityProxyModel::data(index, role);
        }
    }

  private:
    static QString size(qint64 bytes) {
        if (bytes < 1024) return QStringLiteral("%1 ไบต์").arg(bytes);
        const char* const units[] = {"KB", "MB", "GB", "TB"};
        double amount = double(bytes) / 1024;
        int unit = 0;
        for (; amount >= 1024 && unit < 3; ++unit) amount /= 1024;
        return QStringLiteral("%1 %2").arg(QLocale::system().toString(amount, 'f', 1),
                                           QLatin1String(units[unit]));
    }
    static QString type(const QFileInfo& info) {
        if (info.isDir()) return QStringLiteral("โฟลเดอร์");
        if (info.isFile()) {
            const QString suffix = info.suffix().toUpper();
            return suffix.isEmpty() ? QStringLiteral("แฟ้ม") : QStringLiteral("แฟ้ม ") + suffix;
        }
        return info.isSymLink() ? QStringLiteral("ทางลัด") : QStringLiteral("ไม่ทราบชนิด");
    }
    static QString modified(const QDateTime& when) {
        const QDate day = when.date();
        return QStringLiteral("%1/%2/%3 %4")
            .arg(day.day())
            .arg(day.month())
            .arg(day.year() + 543)
            .arg(when.time().toString(QStringLiteral("HH:mm")));
    }
};

}  // namespace

std::optional<QString> chooseFile(QWidget* parent, const QString& title, const QString& filter,
                                  FileChoice choice, const QString& suggested) {
    const bool save = choice != FileChoice::Existing;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(folder).isDir()) folder = QDir::homePath();
    // Qt's own dialog, with Qt's catalogue in Thai: a desktop's native one
    // speaks the desktop's language, often English.
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setObjectName(save ? QStringLiteral("pdfFileDialog") : QStringLiteral("openFileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (choice == FileChoice::OpenOrCreate) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setProxyModel(new ThaiFileColumns(&dialog));
    if (!suggested.isEmpty()) dialog.selectFile(folder + QLatin1Char('/') + suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString path = dialog.selectedFiles().constFirst();
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<QString> QtPlatform::askPdfPath(const QString& suggested) {
    return chooseFile(window_, QStringLiteral("บันทึกรายการคำนวณเป็น PDF"), QStringLiteral("PDF (*.pdf)"),
                      FileChoice::Write, suggested);
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
