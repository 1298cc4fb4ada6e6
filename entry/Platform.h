// The one seam between the program's logic and the user: the modal prompt
// and message boxes, the beep, the window caption, a line of news, which
// printer or PDF file a sheet goes to, and ending the program. The window supplies the Qt
// implementation; tests supply a scripted fake, so every command runs
// without a display.
#pragma once

#include <QString>
#include <optional>

#include "escalation/Printer.h"

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

    // What the user should know without having to answer it (an entry
    // cancelled, where a sheet went), where the window shows such news.
    virtual void notice(const QString&) {}
    // A PDF file the user chooses to keep a sheet in, `suggested` being the
    // name offered; nullopt when cancelled (or where there is no choosing).
    virtual std::optional<QString> askPdfPath(const QString& /*suggested*/) { return std::nullopt; }
    // A printer into that PDF file; nullptr where there is none.
    virtual Printer* pdfPrinter(const QString& /*path*/) { return nullptr; }
};

// The default printer; nullptr after telling the user why, followed by
// `notDone` ("จึงไม่ได้พิมพ์รายการคำนวณ").
inline Printer* printerOrSay(Platform& ui, const QString& notDone) {
    QString why;
    Printer* printer = ui.printer(&why);
    if (!printer) ui.msgBox(why + QLatin1Char('\n') + notDone);
    return printer;
}
