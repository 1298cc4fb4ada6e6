// The Qt side of the seam: QInputDialog and QMessageBox under the title
// "Tarvon", QApplication::beep, the window caption, and a printer that
// collects a sheet's statements and lays them out with QPainter on the
// default QPrinter (or into a PDF file) only when the document ends.
#pragma once

#include <QString>
#include <QWidget>

#include "platform/Platform.h"

class QtPrinter : public Printer {
  public:
    // An empty pdfPath prints on the system's default printer.
    QtPrinter(QWidget* parent, QString pdfPath) : parent_(parent), pdfPath_(std::move(pdfPath)) {}
    void setFontName(const QString& name) override { fontName_ = name; }
    void setFontSize(double points) override { fontSize_ = points; }
    void print(const print::Statement& s) override { doc_.push_back(s); }
    void endDoc() override;
    void discardDoc() override { doc_.clear(); }

    bool toPdf() const { return !pdfPath_.isEmpty(); }

  private:
    bool render(QString* error);

    QWidget* parent_;
    QString pdfPath_;
    QString fontName_ = QStringLiteral("Browallia New");
    double fontSize_ = 16;
    std::vector<print::Statement> doc_;
};

class QtPlatform : public Platform {
  public:
    static const QString kTitle;  // "Tarvon"

    QtPlatform(QWidget* window, const QString& pdfPath)
        : window_(window), printer_(window, pdfPath) {}
    std::optional<QString> inputBox(const QString& prompt) override;
    void msgBox(const QString& text) override;
    void beep() override;
    void setCaption(const QString& caption) override { window_->setWindowTitle(caption); }
    Printer* printer() override;
    void endProgram() override;

  private:
    QWidget* window_;
    QtPrinter printer_;
};
