// The Qt side of the seam: QInputDialog and QMessageBox under the title
// "Tarvon", QApplication::beep, the window caption, a file dialog for a PDF
// to keep, and the PDF printer: into the PDF file given, or to the default
// printer, whose jobs are followed until they print.
#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "entry/Platform.h"
#include "print/CupsJob.h"
#include "print/PdfPrinter.h"

// A file chosen in Qt's own file dialog, in Thai: one that exists, one to
// write (asked before one there is replaced), or one to open that is made
// when it is not there; `suggested` is the name offered; nullopt when
// cancelled.
enum class FileChoice { Existing, Write, OpenOrCreate };
std::optional<QString> chooseFile(QWidget* parent, const QString& title, const QString& filter,
                                  FileChoice choice, const QString& suggested = QString());

class QtPlatform : public Platform {
  public:
    static const QString kTitle;  // "Tarvon"
    static const QString kOk;     // "ตกลง", the OK button of every box

    QtPlatform(QWidget* window, const QString& pdfPath);
    std::optional<QString> inputBox(const QString& prompt) override;
    void msgBox(const QString& text) override;
    void beep() override;
    void setCaption(const QString& caption) override { window_->setWindowTitle(caption); }
    Printer* printer(QString* why) override;
    void endProgram() override;
    // Shown by the window (onNotice) and kept on standard error.
    void notice(const QString& text) override;
    std::optional<QString> askPdfPath(const QString& suggested) override;
    Printer* pdfPrinter(const QString& path) override;

    std::function<void(const QString&)> onNotice;

  private:
    // Jobs sent to the print system are followed, without blocking the
    // window, until they print; one that fails is said at once.
    void followJobs();

    QWidget* window_;
    PdfPrinter printer_;
    std::unique_ptr<PdfPrinter> savePrinter_;  // into the PDF the user chose
    QTimer jobTimer_;
    struct Followed {
        cups::Job job;
        int checksLeft;
    };
    std::vector<Followed> followed_;
};
