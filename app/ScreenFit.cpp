#include "app/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

const QWidget* parentWindow(const QWidget* window) {
    return window->parentWidget() ? window->parentWidget()->window() : nullptr;
}

QRect availableFor(const QWidget* window) {
    const QWidget* parent = parentWindow(window);
    const QScreen* screen = parent ? parent->screen() : window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return QRect(0, 0, 1024, 768);
    QRect available = screen->availableGeometry();
    // Under a fractional scale (1.5) the screen's size in the program's
    // pixels is rounded, up by as much as half a pixel: a window that
    // fills it would reach a pixel past the screen's edge.
    const qreal scale = screen->devicePixelRatio();
    if (scale != std::floor(scale)) available.adjust(0, 0, -1, -1);
    return available;
}

// The frame the desktop draws around the parent, the best guess of the
// frame it will draw around this one; none before anything was shown.
QMargins frameFor(const QWidget* window) {
    const QWidget* parent = parentWindow(window);
    if (!parent || !parent->isVisible()) return {};
    const QRect outer = parent->frameGeometry(), inner = parent->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

}  // namespace

QRect fittedGeometry(QSize wanted, const QRect& available, const QRect& over,
                     const QMargins& frame) {
    const QRect room = available.marginsRemoved(frame);
    const QSize size = wanted.boundedTo(room.size()).expandedTo(QSize(1, 1));
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(over.center());
    placed.moveLeft(std::clamp(placed.left(), room.left(), std::max(room.left(), room.right() - size.width() + 1)));
    placed.moveTop(std::clamp(placed.top(), room.top(), std::max(room.top(), room.bottom() - size.height() + 1)));
    return placed;
}

QSize roomOnScreen(const QWidget* window) {
    return availableFor(window).marginsRemoved(frameFor(window)).size();
}

void fitToScreen(QWidget* window, QSize wanted) {
    const QRect available = availableFor(window);
    const QWidget* parent = parentWindow(window);
    const QRect over = parent && parent->isVisible() ? parent->frameGeometry() : available;
    window->setGeometry(fittedGeometry(wanted, available, over, frameFor(window)));
}
