#!/usr/bin/python3
# Prints what the Tarvon window shows a screen reader: the accessible name of
# every label, notification, push button, menu item and table cell of the running
# program, one a line. With --unnamed-stops: the role of every object a
# keyboard can focus that has no name (a stop a screen reader can only call
# by its role), one a line.
# Debian's python3 and python3-pyatspi; the session's accessibility bus.
import sys
import pyatspi

UNNAMED = "--unnamed-stops" in sys.argv[1:]


def walk(node, out):
    try:
        if UNNAMED:
            if node.getState().contains(pyatspi.STATE_FOCUSABLE) and not node.name:
                out.append(node.getRoleName())
        elif node.getRoleName() in ("label", "notification", "push button", "menu item", "table cell") and node.name:
            out.append(node.name.replace("\n", " / "))
        for child in node:
            walk(child, out)
    except Exception:
        pass  # a node that went away while it was read


out = []
found = False
for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == "Tarvon":
        found = True
        walk(app, out)
if out:
    print("\n".join(out))
sys.exit(0 if found and (out or UNNAMED) else 1)
