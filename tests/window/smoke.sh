#!/usr/bin/env bash
# Runs the real program: without a display, and with one that does not answer, it must
# refuse to start with one line; on a virtual X server it must show its window, paint
# a click and end cleanly when the window is closed.
# usage: smoke.sh DOTDATA X11PROBE
set -euo pipefail
dotdata=$1 probe=$2 limit=20 # seconds allowed for every wait
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
fail() {
    echo "smoke: $*" >&2
    exit 1
}

refuses() { # ENV-ARGS...: a failure code and one line, not an abort inside Qt
    local status=0
    env "$@" timeout "$limit" "$dotdata" >/dev/null 2>"$work/err" || status=$?
    [ "$status" -ne 0 ] && [ "$status" -lt 124 ] && [ "$(wc -l <"$work/err")" -eq 1 ] ||
        fail "with env $* it ended with status $status, saying: $(cat "$work/err")"
}
refuses -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM
refuses DISPLAY=:9999 QT_QPA_PLATFORM=

mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
read -r -t "$limit" number <"$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$number"
# timeout ends a program that stays after its window is closed (status 124).
QT_QPA_PLATFORM=xcb timeout $((3 * limit)) "$dotdata" 2>"$work/app.log" &
app=$!
window=$(timeout "$limit" xdotool search --sync --onlyvisible --name '^Form1$' | head -n 1) ||
    fail "no Form1 window appeared: $(cat "$work/app.log")"

# Cells 0 and 1023, the selected colour and the preview black; swatches 2 and 5 in
# their palette colours, swatch 7 in the text-entry background.
"$probe" expect "$window" "$limit" 28,20=000000 780,772=000000 36,804=000000 1160,744=000000 \
    116,860=ff0000 236,860=00ffff 316,860=ffffff || fail "the window does not show the start-up picture"
# Swatch 2, then cell 0: the cell, the selected colour and preview pixel (20, 20) turn red.
xdotool mousemove --window "$window" 116 860 click 1 mousemove --window "$window" 28 20 click 1
"$probe" expect "$window" "$limit" 28,20=ff0000 36,804=ff0000 1132,716=ff0000 52,20=000000 ||
    fail "a click did not paint cell 0"

"$probe" close "$window"
status=0
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "after the close it ended with status $status: $(cat "$work/app.log")"
echo "smoke: refused without a display; window shown, painted and closed cleanly"
