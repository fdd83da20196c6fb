#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# Runs the real program: with a display that does not answer, it must
# refuse to start with one line; on a virtual X server it must show its window, paint
# a click, ask before a changed picture is closed, and end cleanly when the window is
# closed. On screens smaller than the window it must stay on the screen and scroll to
# every control.
# usage: smoke.sh DOTDATA X11CLOSE
set -euo pipefail
dotdata=$1 x11close=$2 limit=20 # seconds allowed for every wait
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
fail() {
    echo "smoke: $*" >&2
    exit 1
}
# Nothing of the caller's session: each case sets the display it needs, and a desktop
# session's runtime folder is the test's own.
unset DISPLAY WAYLAND_DISPLAY WAYLAND_SOCKET QT_QPA_PLATFORM XDG_SESSION_TYPE
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

refuses() { # STATUS PATTERN ENV-ARGS... [-- ARGS...]: the program, in the environment that
    # env makes of ENV-ARGS, ends with STATUS and one line that matches, not an abort or
    # a message of a library's own
    local want=$1 pattern=$2 status=0 environment=()
    shift 2
    while [ $# -gt 0 ] && [ "$1" != -- ]; do environment+=("$1") && shift; done
    shift $(($# > 0))
    env "${environment[@]}" timeout "$limit" "$dotdata" "$@" >/dev/null 2>"$work/err" </dev/null || status=$?
    [ "$status" -eq "$want" ] && [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "$pattern" "$work/err" ||
        fail "with env ${environment[*]} dotdata $* ended with status $status, saying: $(cat "$work/err")"
}
# With no display at all, and a usage error then, cli.sh checks.
shown='^dotdata: cannot show the window: ' # and what Qt said
refuses 1 "$shown" DISPLAY=:9999
refuses 1 "$shown" WAYLAND_DISPLAY=wayland-gone
# Without a runtime folder libwayland says why itself; that becomes part of the line.
refuses 1 "$shown.*XDG_RUNTIME_DIR is invalid" -u XDG_RUNTIME_DIR WAYLAND_DISPLAY=wayland-0
# A usage error is one whatever the display: Qt fails to start, and the rest is checked.
usage="^dotdata: Unknown option 'qoute'; see 'dotdata --help'$"
refuses 2 "$usage" DISPLAY=:9999 -- -nograb --qoute
refuses 2 "$usage" -u XDG_RUNTIME_DIR WAYLAND_DISPLAY=wayland-0 -- --qoute

mkfifo "$work/display"
# On a fresh X server, which resets whenever its last client leaves, the program must
# connect once and stay: a second connection just before Qt's would meet a reset now and
# then. Each run is ended by timeout (status 124) unless it ended on its own.
for run in 1 2 3 4 5; do
    Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    read -r -t "$limit" number <"$work/display" || fail "Xvfb did not start"
    status=0
    DISPLAY=":$number" QT_QPA_PLATFORM=xcb timeout 1 "$dotdata" 2>"$work/err" || status=$?
    kill %%
    wait %% || true
    [ "$status" -eq 124 ] || fail "on a fresh X server it ended with $status: $(cat "$work/err")"
done

start() { # SCREEN SCALE [ARGS...]: runs the program with ARGS on a virtual X server with one
    # screen of that size; sets app, window and its X Y WIDTH HEIGHT
    # -noreset: xdotool and ImageMagick come and go, and must not meet a server resetting.
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb=$!
    read -r -t "$limit" number <"$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    export DISPLAY=":$number" QT_SCALE_FACTOR=$2 scale=${2/./} offset=0
    ((${#scale} > 1)) || scale+=0 # in tenths
    # timeout ends a program that stays after its window is closed (status 124).
    QT_QPA_PLATFORM=xcb timeout $((3 * limit)) "$dotdata" "${@:3}" 2>"$work/app.log" &
    app=$!
    window=$(timeout "$limit" xdotool search --sync --onlyvisible --name '^Form1$' | head -n 1) ||
        fail "no Form1 window appeared on the $1 screen: $(cat "$work/app.log")"
    eval "$(xdotool getwindowgeometry --shell "$window")"
}
at() { # X Y [WIDTH HEIGHT]: a point or rectangle of the window's plan, scrolled and scaled
    local point="$(((2 * $1 + 1) * scale / 20)),$(((2 * ($2 - offset) + 1) * scale / 20))"
    [ $# -eq 2 ] && echo "$point" || echo "$point,$(($3 * scale / 10))x$(($4 * scale / 10))"
}
click() { # X Y [BUTTON [TIMES]]: a click at that point of the plan
    local point
    point=$(at "$1" "$2")
    xdotool mousemove --window "$window" "${point%,*}" "${point#*,}" \
        click --repeat "${4:-1}" "${3:-1}"
}
shows() { # CHECK...: waits until the window passes every check, X,Y[,WxH]=RRGGBB when each
    # pixel there has that colour, X,Y,WxH!=RRGGBB when some pixel has another (text drawn)
    local check colours wrong deadline=$((SECONDS + limit))
    while :; do
        wrong=""
        # A window not shown yet gives no picture, which fails every check.
        import -window "$window" "$work/shot.miff" 2>/dev/null || rm -f "$work/shot.miff"
        for check in "$@"; do
            [[ $check =~ ^([0-9]+,[0-9]+)(,([0-9]+x[0-9]+))?(!?=)([0-9a-f]{6})$ ]] || fail "$check?"
            local at=${BASH_REMATCH[1]} size=${BASH_REMATCH[3]:-1x1} op=${BASH_REMATCH[4]}
            local want=${BASH_REMATCH[5]}
            colours=$(convert "$work/shot.miff" -crop "$size+${at/,/+}" -unique-colors -depth 8 \
                txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | tr 'A-F#' 'a-f ') || true
            if [ "$op" = "!=" ]; then
                grep -qvx " $want" <<<"$colours" || wrong+=" $check"
            else
                [ "$colours" = " $want" ] || wrong+=" $check (shows${colours//$'\n'/})"
            fi
        done
        [ -z "$wrong" ] && return 0
        ((SECONDS < deadline)) || { echo "smoke: the window shows otherwise:$wrong" >&2; return 1; }
        sleep 0.05 # it may not have painted yet
    done
}
question() { # waits until the question whether to save is shown, or gone with "gone"
    local deadline=$((SECONDS + limit)) shown
    while :; do
        shown=$(xdotool search --onlyvisible --name '^Form1$' | grep -cvx "$window") || true
        [ "$shown" -eq "$([ "${1:-}" = gone ] && echo 0 || echo 1)" ] && return 0
        ((SECONDS < deadline)) || fail "closing the painted picture: ${1:-no} question shown"
        sleep 0.05
    done
}
gone() { # the X server goes away under the window: one line of dotdata's, status 1
    kill "$xvfb"
    wait "$xvfb" || true
    local status=0
    wait "$app" || status=$?
    [ "$status" -eq 1 ] && [ "$(wc -l <"$work/app.log")" -eq 1 ] &&
        grep -q '^dotdata: the connection to the display was lost' "$work/app.log" ||
        fail "with the X server gone it ended with status $status, saying: $(cat "$work/app.log")"
}
closes() { # [changed]: closes the window and the program ends saying nothing; one with a
    # changed picture asks first, and stays after Escape, and then N (do not save) closes it
    "$x11close" "$window"
    if [ "${1:-}" = changed ]; then
        question
        xdotool key Escape
        question gone
        kill -0 "$app" 2>/dev/null || fail "the program ended although the close was cancelled"
        "$x11close" "$window"
        question
        xdotool key n
    fi
    local status=0
    wait "$app" || status=$?
    [ "$status" -eq 0 ] && [ ! -s "$work/app.log" ] ||
        fail "after the close it ended with status $status, saying: $(cat "$work/app.log")"
    kill "$xvfb"
    wait "$xvfb" || true
}

start 1920x1200 1
[ "${WIDTH}x$HEIGHT" = 1506x921 ] || fail "on a screen that holds it the window is ${WIDTH}x$HEIGHT"
# The start-up picture: cell 0 and the selected colour black; swatch 7 in the text-entry
# background. Swatch 2, then cell 0: the cell and the selected colour turn red.
shows 28,20=000000 36,804=000000 316,860=ffffff ||
    fail "the window does not show the start-up picture"
click 116 860
click 28 20
shows 28,20=ff0000 36,804=ff0000 || fail "a click did not paint cell 0"
closes changed
start 1920x1200 1
gone

# A picture given on the command line is shown: the second of two in a listing, whose
# cell 0 has colour 2 and cell 1 colour 4, under a name that is no valid UTF-8; Qt takes
# its own options.
{ printf ' 2 \r\n 4 \r\n'; for n in $(seq 2 1023); do printf ' 0 \r\n'; done; } >"$work/pic.dat"
for n in $(seq 0 1023); do printf ' 0 \r\n'; done >"$work/black.dat"
{ "$dotdata" --data "$work/black.dat" --start 100; "$dotdata" --data "$work/pic.dat"; } >"$work/game"$'\xff.bas'
start 1920x1200 1 -nograb "$work/game"$'\xff.bas' --sprite 2
shows 28,20=ff0000 52,20=008000 76,20=000000 ||
    fail "the picture given on the command line is not shown"
closes

# On a smaller screen the whole window stays on it and the wheel scrolls by 60 pixels a
# turn, here far enough to bring the swatches, MAKE DATA and row 31 into view.
for run in "1280x720 1 3" "1920x1080 1.5 3" "1600x800 1 2"; do
    read -r screen factor turns <<<"$run"
    start "$screen" "$factor"
    width=${screen%x*} height=${screen#*x}
    ((X >= 0 && Y >= 0 && X + WIDTH <= width && Y + HEIGHT <= height)) ||
        fail "the window ${WIDTH}x$HEIGHT at $X,$Y is not inside the ${width}x$height screen"
    # Where the screen is wide enough, the window is wider than the plan by a scroll bar.
    [ "$factor" != 1 ] || ((width < 1600 || WIDTH > 1506)) ||
        fail "the window is ${WIDTH} wide on the $screen screen"
    click 400 300 5 "$turns"
    offset=$((60 * turns))
    # The preview lies at this point only once the wheel has scrolled as far as that.
    shows "$(at 1150 720)=000000" ||
        fail "$turns turns of the wheel did not scroll by $offset pixels on the $screen screen"
    # Swatch 2, then cell 992 in row 31: the cell, the selected colour and the preview
    # turn red; DOTDATA31 is still empty.
    click 132 860
    click 28 778
    shows "$(at 28 778)=ff0000" "$(at 36 804)=ff0000" \
        "$(at 1132 747)=ff0000" "$(at 806 766 60 14)=ffffff" ||
        fail "a click did not paint cell 992 on the $screen screen"
    click 856 820
    shows "$(at 806 766 60 14)!=ffffff" ||
        fail "MAKE DATA did not fill DOTDATA31 on the $screen screen"
    closes changed
done
echo "smoke: refused with a display that fails, and a usage error then; gone with its X server; window shown, painted, MAKE DATA pressed, asked before closing and closed cleanly on four screens"
