// The Qt side of the seam: QInputDialog and QMessageBox under the title
// "Tarvon", QApplication::beep, the window caption, and a printer that
// collects a sheet's statements and, when the document ends, lays them out
// with QPainter on a QPdfWriter: into the PDF file given, or in memory and
// then to the default printer through the print system (CupsJob).
#pragma once

#include <QByteArray>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

#include "platform/CupsJob.h"
#include "platform/Platform.h"

class QtPrinter : public Printer {
  public:
    // An empty pdfPath prints on the system's default printer.
    explicit QtPrinter(QString pdfPath) : pdfPath_(std::move(pdfPath)) {}
    void setFontName(const QString& name) override { fontName_ = name; }
    void setFontSize(double points) override { fontSize_ = points; }
    void print(const print::Statement& s) override { doc_.push_back(s); }
    bool endDoc(QString* error) override;
    void discardDoc() override {
        doc_.clear();
        pageStarts_.clear();
    }
    // What is printed next begins a new page (a sheet of its own).
    void pageBreak() {
        if (!doc_.empty()) pageStarts_.push_back(doc_.size());
    }

    bool toPdf() const { return !pdfPath_.isEmpty(); }
    QString note() const override { return job_.note; }
    // The job the last document became on the printer (id 0: none).
    const cups::Job& job() const { return job_; }
    // Called with each job handed to the print system.
    std::function<void(const cups::Job&)> onSubmitted;

  private:
    // The document laid out as a PDF whose text is the sheet's text.
    std::optional<QByteArray> render() const;

    QString pdfPath_;
    QString fontName_ = QStringLiteral("Browallia New");
    double fontSize_ = 16;
    std::vector<print::Statement> doc_;
    std::vector<size_t> pageStarts_;  // statements that begin a page
    cups::Job job_;
};

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

  private:
    // Jobs sent to the print system are followed, without blocking the
    // window, until they print; one that fails is said at once.
    void followJobs();

    QWidget* window_;
    QtPrinter printer_;
    QTimer jobTimer_;
    struct Followed {
        cups::Job job;
        int checksLeft;
    };
    std::vector<Followed> followed_;
};
