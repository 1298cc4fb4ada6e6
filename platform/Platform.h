// The one seam between the program's logic and the system it runs on: the
// modal prompt and message boxes, the beep, the window caption, the printer
// and ending the program. The window supplies the Qt implementation; tests
// supply a scripted fake, so every command runs without a display.
#pragma once

#include <QString>
#include <optional>
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
    virtual bool endDoc(QString* error) = 0;
    virtual void discardDoc() = 0;
    // What the user must know of the document that endDoc just sent,
    // though it did reach the printer (a paused queue holds it); empty
    // when nothing.
    virtual QString note() const { return QString(); }
};

// A printer that only keeps what is printed, for sheets computed to be
// looked at rather than printed at once.
class CollectingPrinter : public Printer {
  public:
    void setFontName(const QString&) override {}
    void setFontSize(double) override {}
    void print(const print::Statement& s) override { doc.push_back(s); }
    bool endDoc(QString*) override { return true; }
    void discardDoc() override { doc.clear(); }
    std::vector<print::Statement> doc;
};

class Platform {
  public:
    virtual ~Platform() = default;
    // Modal prompt under the application title; nullopt when cancelled.
    virtual std::optional<QString> inputBox(const QString& prompt) = 0;
    // Modal message with OK and the exclamation icon.
    virtual void msgBox(const QString& text) = 0;
    virtual void beep() = 0;
    virtual void setCaption(const QString& caption) = 0;
    // The default printer, or nullptr with the Thai reason in `why` (none
    // is set, or the print system cannot be reached).
    virtual Printer* printer(QString* why) = 0;
    virtual void endProgram() = 0;
};
