#!/usr/bin/env bash
# Runs the real program: once without any display, where it must refuse to start with
# one line, then on a virtual X server, where it must show its window, take two clicks
# and end cleanly when the window is closed.
#
# usage: smoke.sh DOTDATA X11PROBE
set -euo pipefail

dotdata=$1
probe=$2
limit=20 # seconds allowed for every wait

fail() {
    echo "smoke: $*" >&2
    exit 1
}

for tool in Xvfb xdotool xwininfo; do
    command -v "$tool" >/dev/null || fail "$tool is missing (run scripts/install-deps.sh)"
done

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# --- no display: one plain line, a failure code, no abort inside Qt ---
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout "$limit" "$dotdata" \
    >"$work/out" 2>"$work/err" || status=$?
[ "$status" -ne 0 ] || fail "started without a display and exited 0"
[ "$status" -lt 124 ] || fail "without a display it was killed or aborted (status $status)"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "without a display it said more than one line: $(cat "$work/err")"
echo "no display: status $status: $(cat "$work/err")"

# --- a display that does not answer: the same ---
status=0
DISPLAY=":9999" QT_QPA_PLATFORM="" timeout "$limit" "$dotdata" >"$work/out" 2>"$work/err" || status=$?
[ "$status" -ne 0 ] && [ "$status" -lt 124 ] || fail "with a dead display it exited with status $status"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "with a dead display it said more than one line: $(cat "$work/err")"
echo "dead display: status $status: $(cat "$work/err")"

# --- a virtual X server on a free display number ---
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
read -r -t "$limit" number <"$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$number"

QT_QPA_PLATFORM=xcb "$dotdata" 2>"$work/app.log" &
app_pid=$!

window=$(timeout "$limit" xdotool search --sync --onlyvisible --name '^Form1$' | head -n 1) ||
    fail "no Form1 window appeared: $(cat "$work/app.log")"
size=$(xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')
[ "$size" = "1506x921" ] || fail "the window is $size, not 1506x921"

# Window pixels: cells 0 and 1023 black, the selected colour black, the preview black,
# swatches 2, 3 and 5 in their palette colours, swatch 7 in the text-entry background.
"$probe" expect "$window" "$limit" \
    28,20=000000 780,772=000000 36,804=000000 1160,744=000000 \
    116,860=ff0000 156,860=c04000 236,860=00ffff 316,860=ffffff ||
    fail "the window does not show the start-up picture"

# Red from swatch 2, then cell 0: the cell and preview pixel (20, 20) turn red.
xdotool mousemove --window "$window" 116 860 click 1 mousemove --window "$window" 28 20 click 1
"$probe" expect "$window" "$limit" 28,20=ff0000 1132,716=ff0000 36,804=ff0000 52,20=000000 ||
    fail "a click did not paint cell 0"

"$probe" close "$window"
deadline=$((SECONDS + limit))
while kill -0 "$app_pid" 2>/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || fail "the program did not end after its window was closed"
    # Polls the process; this is no fixed wait.
    sleep 0.1
done
status=0
wait "$app_pid" || status=$?
app_pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status: $(cat "$work/app.log")"
echo "smoke: window shown, painted and closed cleanly"
