// The one seam between the program's logic and the user: the modal prompt
// and message boxes, the beep, the window caption, which printer a sheet
// goes to, and ending the program. The window supplies the Qt
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
};
