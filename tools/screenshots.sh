#!/usr/bin/env bash
# Remakes the README's screenshots: starts the built game from a copy of its
# run directory under Xvfb and openbox, plays a few letters, opens the
# configuration window, and captures both. Needs xvfb, openbox, xdotool and
# imagemagick (import).
#
#   tools/screenshots.sh [build folder]   (default: build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

cp -r "$build/run" "$work/run"
rm -f "$work/run/corbelet.ini" "$work/run/data/corbelet.lock"
mkdir -m 700 "$work/runtime"

Xvfb :97 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
sleep 1
export DISPLAY=:97 XDG_RUNTIME_DIR="$work/runtime" SDL_AUDIODRIVER=dummy
openbox >/dev/null 2>&1 &
sleep 1
(cd "$work/run" && ./corbelet >/dev/null 2>&1 &)

window=$(xdotool search --sync --onlyvisible --name '^Corbelet $' | head -n 1)
sleep 1
# The client area's origin on the screen (xdotool's own geometry counts the
# window manager's frame in).
X=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {print $4}')
Y=$(xwininfo -id "$window" | awk '/Absolute upper-left Y/ {print $4}')
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.4; }

click 376 228          # OK on the statistics panel
click 348 79           # Commencer
# Letters by their check box: column c, row r of the list.
pick() { click $((19 + 56 * $1)) $((169 + 27 * $2)); }
pick 4 0; pick 0 0; pick 3 3; pick 0 5; pick 1 4; pick 2 4; pick 0 2; pick 1 3; pick 4 1
sleep 0.5
import -window "$window" -frame "$root/docs/game.png"

click 420 79           # the configuration window
config=$(xdotool search --sync --onlyvisible --name '^Configuration$' | head -n 1)
sleep 0.5
import -window "$config" -frame "$root/docs/configuration.png"
echo "docs/game.png and docs/configuration.png written"
