#!/usr/bin/python3
"""Prints what a screen reader finds in the windows of one program over AT-SPI.

Usage: atspi_read.py PID

One line per accessible object, depth first:
    <indent><role>|<name>|<description>|<states>
with the states that matter to a player (showing, focused, checked), the
text on one line; a document adds |<its text>, its lines joined by " / ". Waits up to 10 seconds for the program to appear on the
accessibility bus; exits with 1 when it does not.
"""

import sys
import time

import pyatspi

STATES = [
    (pyatspi.STATE_SHOWING, "showing"),
    (pyatspi.STATE_FOCUSED, "focused"),
    (pyatspi.STATE_CHECKED, "checked"),
]


def one_line(text):
    return " ".join((text or "").split())


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def dump(accessible, depth, lines):
    states = accessible.getState()
    flags = ",".join(name for state, name in STATES if states.contains(state))
    line = "%s%s|%s|%s|%s" % (
        "  " * depth,
        accessible.getRoleName(),
        one_line(accessible.name),
        one_line(accessible.description),
        flags,
    )
    if accessible.getRole() == pyatspi.ROLE_DOCUMENT_FRAME:
        try:
            text = accessible.queryText()
            content = text.getText(0, text.characterCount)
        except NotImplementedError:
            content = ""
        line += "|" + " / ".join(one_line(part) for part in content.split("\n"))
    lines.append(line)
    for index in range(accessible.childCount):
        child = accessible.getChildAtIndex(index)
        if child is not None:
            dump(child, depth + 1, lines)


def main():
    pid = int(sys.argv[1])
    deadline = time.monotonic() + 10
    app = application(pid)
    while app is None and time.monotonic() < deadline:
        time.sleep(0.2)
        app = application(pid)
    if app is None:
        print("no application with process id %d on the accessibility bus" % pid, file=sys.stderr)
        return 1
    lines = []
    dump(app, 0, lines)
    print("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main())
