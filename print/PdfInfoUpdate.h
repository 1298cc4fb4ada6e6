// Entries added to a finished PDF's document information dictionary (the
// one `pdfinfo -custom` lists), written as an incremental update after the
// document's last byte: PDF's own way of adding to a finished file, which
// every reader follows. Debian 12's Cairo (1.16) writes no entries of its
// own choosing (custom metadata came with Cairo 1.18), so the sheets'
// facts are added this way; nothing of the pages changes.
//
// The new dictionary holds the title, creator, producer and creation date
// given, and the entries added, as PDF text strings (UTF-16 where they hold
// more than ASCII). It is kept in a compressed object stream, so that a
// contract of a thousand sheets grows by kilobytes, not megabytes; the
// entries are compressed as they are added, so that memory does not grow
// with the pages either. It reads nothing of the document but its trailer.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class PdfInfoUpdate {
  public:
    PdfInfoUpdate();
    ~PdfInfoUpdate();
    PdfInfoUpdate(const PdfInfoUpdate&) = delete;
    PdfInfoUpdate& operator=(const PdfInfoUpdate&) = delete;

    // Every byte of the document, in order, as it is written: its size and
    // its tail (where the trailer is) are kept.
    void see(const char* data, size_t size);
    // Adds /`key` (letters and digits) with `value`.
    void add(const QByteArray& key, const QString& value);
    bool empty() const;

    // The bytes to append to the document seen, its dictionary holding
    // `standard` (the entries of the dictionary it replaces, already in
    // PDF syntax, e.g. "/Title (Tarvon)") and the entries added; empty when
    // the document ended with no trailer that can be read.
    QByteArray update(const QByteArray& standard);

    // A PDF text string: a literal in PDFDocEncoding when `text` is
    // printable ASCII, else UTF-16BE with its byte-order mark.
    static QByteArray pdfString(const QString& text);

  private:
    struct Deflated;
    std::unique_ptr<Deflated> body_;
    QByteArray tail_;
    qint64 size_ = 0;
};
