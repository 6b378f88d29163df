#!/bin/sh
# accessibility-session.sh [--display] command [argument...]
# Runs the command under a private session bus whose accessibility bus is
# already up, as on a desktop where assistive technologies are on: Qt's AT-SPI
# bridge connects only to an accessibility bus that is running when it starts
# (or starts later), it never starts one itself. The buses' sockets go into a
# private runtime folder, removed afterwards. With --display the command also
# gets a private X server (Xvfb, on a display it picks itself).
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

if [ "${1:-}" != "--display" ]; then
    exec "$@"
fi
shift
displayfile=$XDG_RUNTIME_DIR/display
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
server=$!
tries=0
while [ ! -s "$displayfile" ] && [ $tries -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
done
if [ ! -s "$displayfile" ]; then
    echo "Xvfb gives no display" >&2
    kill "$server" 2>/dev/null
    exit 1
fi
status=0
DISPLAY=:$(cat "$displayfile") "$@" || status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit "$status"
