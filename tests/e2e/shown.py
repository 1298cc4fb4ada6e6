#!/usr/bin/python3
# Whether a button of a window of the running Tarvon program lies wholly
# within that window, as its accessible objects tell it (the one coordinate
# system of both, whatever the desktop's scale). WINDOW is the beginning of
# the window's title, BUTTON the button's accessible name. Prints both
# rectangles; exit status 0 when the button lies within the window, 1 when
# not, 2 when either is not found.
# Usage: shown.py WINDOW BUTTON
import sys
import pyatspi

WINDOW, BUTTON = sys.argv[1], sys.argv[2]


def box(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def find(node, name):
    try:
        if node.getRoleName() == "push button" and node.name == name and \
                node.getState().contains(pyatspi.STATE_SHOWING):
            return node
        for child in node:
            hit = find(child, name)
            if hit is not None:
                return hit
    except Exception:
        pass  # a node that went away while it was read
    return None


for app in pyatspi.Registry.getDesktop(0):
    if app is None or app.name != "Tarvon":
        continue
    for window in app:
        if window is None or not (window.name or "").startswith(WINDOW):
            continue
        if not window.getState().contains(pyatspi.STATE_SHOWING):
            continue
        button = find(window, BUTTON)
        if button is None:
            continue
        (wx, wy, ww, wh), (bx, by, bw, bh) = box(window), box(button)
        print("window %d,%d %dx%d; button %d,%d %dx%d" % (wx, wy, ww, wh, bx, by, bw, bh))
        inside = wx <= bx and wy <= by and bx + bw <= wx + ww and by + bh <= wy + wh
        sys.exit(0 if inside and bw > 0 and bh > 0 else 1)
print("no button '%s' in a window '%s'" % (BUTTON, WINDOW))
sys.exit(2)
