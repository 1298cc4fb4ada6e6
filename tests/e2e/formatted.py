#!/usr/bin/env python3
"""Prints each line of a rendered manual page (standard input, as `man`
gives it with MAN_KEEP_FORMATTING) that sets Thai in bold, italics or
underline, the formatting taken off; prints nothing when there is none.

A terminal shows such Thai without its marks ("บันทึก" as "ันึก"): bold
and underline come either as overstrikes (a character, a backspace and the
character again, or "_" and a backspace before it) or as SGR sequences.
"""
import re
import sys

THAI = re.compile("[\u0e00-\u0e7f]")
SGR = re.compile(r"\x1b\[([0-9;]*)m")
# 1 bold, 3 italic, 4 underline; 0 (or nothing) resets all, 22/23/24 one.
ON = {"1": "bold", "3": "italic", "4": "underline"}
OFF = {"22": "bold", "23": "italic", "24": "underline"}


def plain(line):
    return re.sub(r".\x08", "", SGR.sub("", line))


def main():
    text = sys.stdin.buffer.read().decode("utf-8", "replace")
    state = set()
    for line in text.split("\n"):
        bad = any(THAI.match(a) or THAI.match(b) for a, b in re.findall(r"(.)\x08(.)", line))
        for at, piece in enumerate(SGR.split(line)):
            if at % 2:  # a sequence's parameters
                for p in piece.split(";") if piece else ["0"]:
                    if p in ("", "0"):
                        state.clear()
                    elif p in ON:
                        state.add(ON[p])
                    elif p in OFF:
                        state.discard(OFF[p])
            elif state and THAI.search(piece):
                bad = True
        if bad:
            print(plain(line).strip())


main()
