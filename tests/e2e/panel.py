#!/usr/bin/python3
# Prints what the Tarvon window shows a screen reader: the accessible name of
# every label, push button and menu item of the running program, one a line.
# Debian's python3 and python3-pyatspi; the session's accessibility bus.
import sys
import pyatspi

def walk(node, out):
    try:
        if node.getRoleName() in ("label", "push button", "menu item") and node.name:
            out.append(node.name.replace("\n", " / "))
        for child in node:
            walk(child, out)
    except Exception:
        pass  # a node that went away while it was read

out = []
for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == "Tarvon":
        walk(app, out)
print("\n".join(out))
sys.exit(0 if out else 1)
