#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# A long check of the save, not a test: CTest does not run it.
#  1. KILLS times: save_loop saves over one file without end and is killed (SIGKILL)
#     after a random 0-30 ms; the file must then be whole, and nothing else may be in
#     the folder. A temporary file left by a kill in the instant between naming and
#     renaming is counted and removed (the one window an unnamed file leaves).
#  2. WRITERS save_loop processes save SAVES times each over one file at once, while
#     the file is checked over and over; every check must find a whole picture, every
#     save must succeed, and nothing may be left behind.
# usage: bench/kill_saves.sh [BUILD [KILLS [WRITERS [SAVES [FOLDER [named]]]]]]
#        (defaults: build 500 4 250, a new folder under TMPDIR; FOLDER picks the file system;
#        "named" saves as where the file system has no unnamed temporary files)
set -euo pipefail
build=${1:-build} kills=${2:-500} writers=${3:-4} saves=${4:-250} named=${6:-}
loop=$(realpath "$build/bench/save_loop")
work=$(mktemp -d "${5:-${TMPDIR:-/tmp}}/dotdata-kill-XXXXXX")
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
target=$work/picture.dat
fail() {
    echo "kill_saves: $*" >&2
    exit 1
}
echo "folder $work on $(stat -f -c %T "$work")${named:+, named temporary files}"

"$loop" "$target" 1 0
left=0
for ((i = 1; i <= kills; i++)); do
    "$loop" "$target" 0 "$i" $named &
    sleep "0.0$((RANDOM % 30))"
    kill -KILL $!
    wait $! 2>/dev/null || true
    "$loop" --check "$target" || fail "after kill $i the file is not whole"
    others=$(ls -A "$work" | grep -vx picture.dat || true)
    if [ -n "$others" ]; then
        left=$((left + 1))
        (cd "$work" && rm -f -- $others)
    fi
done
echo "killed saves: $kills, file whole after every one, temporary files left: $left"

pids=()
for ((w = 0; w < writers; w++)); do
    "$loop" "$target" "$saves" "$w" $named &
    pids+=($!)
done
checks=0
while [ -n "$(jobs -rp)" ]; do
    "$loop" --check "$target" || fail "a check during the saves found the file not whole"
    checks=$((checks + 1))
done
for pid in "${pids[@]}"; do
    wait "$pid" || fail "a writer's save failed"
done
"$loop" --check "$target" || fail "after the saves the file is not whole"
[ "$(ls -A "$work")" = picture.dat ] || fail "left behind: $(ls -A "$work")"
echo "concurrent saves: $writers writers x $saves saves, $checks checks in between, all whole, nothing left behind"
