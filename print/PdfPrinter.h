// The printer of the window and of tarvon-batch: a document of sheets laid
// out as PDF pages (PdfPages) as the statements come, written into the PDF
// file given, or spooled and handed to the system's default printer through
// the print system (CupsJob) when the document ends. A file is replaced
// only by a document written whole; a document that fails or is discarded
// leaves the old file as it was. Each sheet's facts go into the document's
// information (PdfPages), for the file and the print system alike.
#pragma once

#include <QString>
#include <QTemporaryFile>
#include <functional>
#include <memory>

#include "base/ReplaceFile.h"
#include "escalation/Printer.h"
#include "print/CupsJob.h"
#include "print/PdfPages.h"

class PdfPrinter : public Printer {
  public:
    // An empty pdfPath prints on the system's default printer.
    explicit PdfPrinter(QString pdfPath) : pdfPath_(std::move(pdfPath)) {}
    ~PdfPrinter() override;
    void setFontName(const QString& name) override { fontName_ = name; }
    void setFontSize(double points) override { fontSize_ = points; }
    void print(const print::Statement& s) override;
    void pageBreak() override;
    bool endDoc(QString* error) override;
    void discardDoc() override;
    bool keepsFacts() const override { return true; }
    void sheetFacts(const QString& line) override;

    bool toPdf() const { return !pdfPath_.isEmpty(); }
    QString note() const override { return job_.note; }
    QString sentTo() const override { return sentTo_; }
    const QString& pdfPath() const { return pdfPath_; }
    // The job the last document became on the printer (id 0: none).
    const cups::Job& job() const { return job_; }
    // Called with each job handed to the print system.
    std::function<void(const cups::Job&)> onSubmitted;

  private:
    // Opens where the document goes, at its first statement.
    void begin();

    QString pdfPath_;
    QString fontName_ = QStringLiteral("Browallia New");
    double fontSize_ = 16;
    std::unique_ptr<FileReplacement> file_;  // into the PDF file
    std::unique_ptr<QTemporaryFile> spool_;  // for the print system
    std::unique_ptr<PdfPages> pages_;
    QString failure_;  // why the document cannot be written, once known
    cups::Job job_;
    QString sentTo_;
};
