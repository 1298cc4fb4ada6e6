#!/usr/bin/python3
# Listens, as a screen reader does, to what the running Tarvon program tells
# the accessibility bus, and prints each event of it on a line of its own:
# the event's type, the role and the name of the object it is about, and
# the text it carries. Stops after SECONDS (default 60) or when killed.
# Usage: events.py [SECONDS]
import sys
import pyatspi
from gi.repository import GLib

KINDS = ("object:state-changed:showing", "object:property-change:accessible-name",
         "object:text-changed", "object:announcement", "object:state-changed:visible")


def heard(event):
    try:
        if event.host_application is None or event.host_application.name != "Tarvon":
            return
        data = event.any_data
        if not isinstance(data, str):
            data = getattr(data, "name", "") if data is not None else ""
        print("%s|%s|%s|%s|%s" % (event.type, event.detail1, event.source.getRoleName(),
                                  (event.source.name or "").replace("\n", " / "),
                                  (data or "").replace("\n", " / ")), flush=True)
    except Exception as e:  # an object that went away meanwhile
        print("?|%s" % e, flush=True)


pyatspi.Registry.registerEventListener(heard, *KINDS)
GLib.timeout_add_seconds(int(sys.argv[1]) if len(sys.argv) > 1 else 60, pyatspi.Registry.stop)
print("listening", flush=True)
pyatspi.Registry.start()
