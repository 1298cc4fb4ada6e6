// Where a window opens: the one rule for every window of the program, so
// that none opens larger than its screen or off it, whatever the screen's
// size and the desktop's text scale. A window gets the size it asks for,
// cut to the screen's available room (less the frame the desktop draws
// around it, where that is known), centred on its parent window (on the
// screen for one without a parent), and moved inside the room. It does not
// change what a window shows; a window whose contents need more room
// scrolls them.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

// The client geometry of a window that wants `wanted`, centred on `over`,
// within `available` with `frame` around it.
QRect fittedGeometry(QSize wanted, const QRect& available, const QRect& over,
                     const QMargins& frame = {});

// The room a window on the screen of `window` (or of its parent) can have:
// the screen's available size less the frame known around the parent.
QSize roomOnScreen(const QWidget* window);

// Places `window`, not yet shown, by the rule above.
void fitToScreen(QWidget* window, QSize wanted);
