// A PDF read for what a sheet's verification needs: the keys and values of
// its document information and the text of each page as a text extractor
// reads it back (the order it was drawn in, as pdftotext -raw gives it).
// Poppler does the reading, in the module tarvon-pdftext.so
// (PdfTextModule.h) loaded with the first document: beside the program in
// the build tree, in ../lib/tarvon from the program where it is installed.
// It reads; it judges nothing.
#pragma once

#include <QString>
#include <QStringList>

struct TarvonPdf;
struct PdfTextLibrary;

class PdfText {
  public:
    enum class Opened {
        Yes,
        NotPdf,      // the file does not begin as a PDF does
        Unreadable,  // it cannot be opened or read, is damaged or locked
    };
    PdfText() = default;
    ~PdfText();
    PdfText(const PdfText&) = delete;
    PdfText& operator=(const PdfText&) = delete;

    // Opens `path`; the Thai reason in `why` (the path not named) when not.
    Opened open(const QString& path, QString* why);
    int pages() const { return pages_; }
    QStringList infoKeys();
    // Empty for a key the document does not have.
    QString info(const QString& key);
    // Page `n`, counted from 1.
    QString pageText(int n);

  private:
    const PdfTextLibrary* f_ = nullptr;
    TarvonPdf* pdf_ = nullptr;
    int pages_ = 0;
};
