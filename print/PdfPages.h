// Lays a sheet's statements out on A4 pages of a PDF, page after page as
// they come, so that a contract of any length needs no more memory than one
// page. Where a column or a line falls is the font's own metrics at the
// printer's resolution (column width = the average character width, the
// line step = the line spacing), as Qt measures them for the window's font
// (thaiFont); each run of text between two column stops is shaped and
// drawn by Pango on Cairo's PDF surface, which writes the text a reader
// copies or searches as the very characters of the sheet.
//
// It does not know where the bytes go (a file, the print system): they are
// handed to `sink` as they are written. Each sheet's facts are added to the
// document information when the document ends, the pages untouched.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "escalation/PrintModel.h"

class PdfPages {
  public:
    // Takes the bytes of the PDF; false stops the document (a full disk).
    using Sink = std::function<bool(const char* data, size_t size)>;

    // Whether the libraries that draw the pages can be loaded; the Thai
    // reason in `why` when not. Pages are made only when they can.
    static bool canDraw(QString* why);

    PdfPages(const QString& family, double points, Sink sink);
    ~PdfPages();
    PdfPages(const PdfPages&) = delete;
    PdfPages& operator=(const PdfPages&) = delete;

    void print(const print::Statement& s);
    // What is printed next begins a new page; nothing on an empty page.
    void pageBreak();
    // What the sheet printed since the last page break was computed from
    // (SheetFacts' line): kept in the document information under the key
    // TarvonSheet<page>, the page the sheet began on (PdfInfoUpdate).
    void sheetFacts(const QString& line);
    // Ends the last page and the document; false when it could not be
    // written whole.
    bool finish();

  private:
    struct Drawing;
    std::unique_ptr<Drawing> d_;
};
