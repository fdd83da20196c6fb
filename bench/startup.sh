#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# Start-up of dotdata against two bare Qt windows of its size on one virtual X server:
# an empty one, and one with a single Japanese-captioned button (it starts Qt's font
# system, as any window showing text does). Each run goes through startup_probe: spawn
# to window mapped, to first drawing, to finished drawing (the last drawing before 300 ms
# without any), and the peak resident memory (VmHWM) then. One warm-up run of each, then
# RUNS rounds, each in a rotated order; prints every run, the medians and the ratios.
# usage: bench/startup.sh [BUILD_DIR [RUNS]]   (defaults: build 21)
set -euo pipefail
build=${1:-build} runs=${2:-21}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT

# -noreset: the server would otherwise reset when a run's last client leaves, and refuse
# the next run's connection for a moment.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
read -r -t 20 number <"$work/display" || { echo "startup: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number" QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$work/runtime # where a desktop session would have one
mkdir -m 700 "$XDG_RUNTIME_DIR"

run() { # NAME [FILE]: one run of that program, appended to FILE (default NAME)
    case $1 in
    dotdata) set -- "${2:-$1}" Form1 "$build/program/dotdata" ;;
    bare) set -- "${2:-$1}" Bare "$build/bench/bare_window" ;;
    text) set -- "${2:-$1}" "Bare text" "$build/bench/bare_window" --text ;;
    esac
    "$build/bench/startup_probe" "$2" 300 "${@:3}" >>"$work/$1"
}
names=(dotdata bare text)
for name in "${names[@]}"; do run "$name" warm-up; done
for ((i = 0; i < runs; i++)); do
    for ((k = 0; k < 3; k++)); do run "${names[$(((i + k) % 3))]}"; done
done

echo "runs: ms to mapped / first drawing / finished drawing, VmHWM KiB"
paste -d' ' "$work/dotdata" "$work/bare" "$work/text" | awk '{ printf "  dotdata %5.1f / %5.1f / %5.1f %6d" \
    "   bare %5.1f / %5.1f / %5.1f %6d   bare text %5.1f / %5.1f / %5.1f %6d\n", $1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12 }'
median() { # NAME COLUMN
    sort -n -k"$2,$2" "$work/$1" | awk -v c="$2" '{ v[NR] = $c }
        END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
printf "  %-26s %9s %9s %9s %14s %18s\n" "median of $runs" dotdata bare "bare text" dotdata/bare "dotdata/bare text"
for row in "1 to mapped (ms)" "2 to first drawing (ms)" "3 to finished drawing (ms)" "4 VmHWM (KiB)"; do
    awk -v label="${row#* }" -v d="$(median dotdata "${row%% *}")" -v b="$(median bare "${row%% *}")" \
        -v t="$(median text "${row%% *}")" 'BEGIN { printf "  %-26s %9g %9g %9g %14.2f %18.2f\n", label, d, b, t, d / b, d / t }'
done
