// The one interface every printer of a sheet offers: the window's default
// printer, a PDF file, the batch's document of many sheets, and the
// collecting printers of previews and tests. It knows statements, not
// fonts' shapes or pages' bytes: how a printer lays them out is its own.
#pragma once

#include <QString>
#include <vector>

#include "escalation/PrintModel.h"

// A print document in the making. Nothing reaches paper before endDoc(),
// which says whether the document reached the printer or file (and why
// not); discardDoc() drops everything printed since the last endDoc().
class Printer {
  public:
    virtual ~Printer() = default;
    virtual void setFontName(const QString& name) = 0;
    virtual void setFontSize(double points) = 0;
    virtual void print(const print::Statement& s) = 0;
    // What is printed next begins a new page (a sheet of its own); nothing
    // at the start of a document.
    virtual void pageBreak() {}
    virtual bool endDoc(QString* error) = 0;
    virtual void discardDoc() = 0;
    // Whether what is printed is thrown away unread: a sheet computed for
    // its figures alone need not build its texts.
    virtual bool discards() const { return false; }
    // What the user must know of the document that endDoc just sent,
    // though it did reach the printer (a paused queue holds it); empty
    // when nothing.
    virtual QString note() const { return QString(); }
    // Where the document that endDoc just sent went, said for the user
    // (the printer and job, or the PDF file); empty when there is nothing
    // to say.
    virtual QString sentTo() const { return QString(); }
    // Whether the printer keeps with each sheet what it was computed from
    // (SheetFacts' one line, given by sheetFacts() after the sheet's
    // statements): a PDF keeps it invisibly, for tarvon-batch --verify. A
    // printer that keeps nothing of it is never given it.
    virtual bool keepsFacts() const { return false; }
    virtual void sheetFacts(const QString& line) { (void)line; }
};

// A printer that prints nowhere, for a sheet's figures without its texts.
class NullPrinter : public Printer {
  public:
    void setFontName(const QString&) override {}
    void setFontSize(double) override {}
    void print(const print::Statement&) override {}
    bool endDoc(QString*) override { return true; }
    void discardDoc() override {}
    bool discards() const override { return true; }
};

// A printer that only keeps what is printed, for sheets computed to be
// looked at rather than printed at once, or printed elsewhere later
// (printSheetAside).
class CollectingPrinter : public Printer {
  public:
    void setFontName(const QString&) override {}
    void setFontSize(double) override {}
    void print(const print::Statement& s) override { doc.push_back(s); }
    bool endDoc(QString*) override { return true; }
    void discardDoc() override {
        doc.clear();
        facts.clear();
    }
    bool keepsFacts() const override { return true; }
    void sheetFacts(const QString& line) override { facts = line; }
    std::vector<print::Statement> doc;
    QString facts;  // of the sheet collected last
};

// Prints a sheet computed aside (the statements and the facts a
// CollectingPrinter kept) into `printer`, on a page of its own: how every
// document of many sheets is made.
inline void printSheetAside(Printer& printer, const std::vector<print::Statement>& doc,
                            const QString& facts) {
    printer.pageBreak();
    for (const print::Statement& s : doc) printer.print(s);
    if (!facts.isEmpty() && printer.keepsFacts()) printer.sheetFacts(facts);
}
