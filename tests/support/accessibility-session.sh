#!/bin/sh
# accessibility-session.sh command [argument...]
# Runs the command under a private session bus whose accessibility bus is
# already up, as on a desktop where assistive technologies are on: Qt's AT-SPI
# bridge connects only to an accessibility bus that is running when it starts
# (or starts later), it never starts one itself. The buses' sockets go into a
# private runtime folder, removed afterwards. The command brings its own X
# display (tests/support/xsession.h).
set -u

if [ -z "${CORBELET_ACCESSIBILITY_SESSION:-}" ]; then
    runtime=$(mktemp -d)
    status=0
    XDG_RUNTIME_DIR=$runtime CORBELET_ACCESSIBILITY_SESSION=1 \
        dbus-run-session -- sh "$0" "$@" || status=$?
    rm -rf "$runtime"
    exit "$status"
fi

dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress >/dev/null || exit 1
exec "$@"
