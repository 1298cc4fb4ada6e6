#!/usr/bin/python3
# Prints what a screen reader finds in one window of the running Tarvon: the
# role, name and description (a tool tip) of every object showing in the
# top-level window whose title starts with TITLE, one object a line, the
# three separated by tabs. Exit 1 when no such window is there.
# Usage: texts.py TITLE
import sys
import pyatspi

def walk(node, out):
    try:
        if node.getState().contains(pyatspi.STATE_SHOWING):
            out.append("\t".join(s.replace("\n", " / ").replace("\t", " ")
                                 for s in (node.getRoleName(), node.name or "", node.description or "")))
        for child in node:
            walk(child, out)
    except Exception:
        pass  # a node that went away while it was read

out = []
for app in pyatspi.Registry.getDesktop(0):
    if app is None or app.name != "Tarvon":
        continue
    for window in app:
        if window is not None and (window.name or "").startswith(sys.argv[1]):
            walk(window, out)
            break
print("\n".join(out))
sys.exit(0 if out else 1)
