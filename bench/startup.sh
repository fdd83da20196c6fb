#!/usr/bin/env bash
# Start-up of dotdata against two bare Qt windows of the same size, side by side on one
# virtual X server: an empty one, and one with a single Japanese-captioned button (the
# cost of Qt's font system, which any window showing text pays). Measured: the time
# from spawn until the window is mapped, the time until the program first draws into
# it, and the peak resident memory (VmHWM) half a second later. One warm-up run of
# each, then RUNS rounds, each in a rotated order; prints every run, the medians and
# the ratios.
# usage: bench/startup.sh [BUILD_DIR [RUNS]]   (defaults: build 7)
set -euo pipefail
build=${1:-build} runs=${2:-7} settle=500
bench=$build/bench
for program in "$build/window/dotdata" "$bench/bare_window" "$bench/startup_probe"; do
    [ -x "$program" ] || { echo "startup: $program is missing; build first" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT

mkfifo "$work/display"
# No client is connected between two runs; a server that reset then would refuse the next.
Xvfb -displayfd 3 -screen 0 1920x1200x24 -noreset -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
read -r -t 20 number <"$work/display" || { echo "startup: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number" QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$work/runtime # where a desktop session would have one
mkdir -m 700 "$XDG_RUNTIME_DIR"

probe() { # RESULTS TITLE PROGRAM [ARGS...]: one run, appended to RESULTS
    local results=$1
    shift
    "$bench/startup_probe" "$1" "$settle" "${@:2}" >>"$work/$results"
}
run() { # NAME: one run of that program
    case $1 in
    dotdata) probe "$2" Form1 "$build/window/dotdata" ;;
    bare) probe "$2" Bare "$bench/bare_window" ;;
    text) probe "$2" "Bare text" "$bench/bare_window" --text ;;
    esac
}
names=(dotdata bare text)
for name in "${names[@]}"; do run "$name" warmup; done
for ((i = 0; i < runs; i++)); do
    for ((k = 0; k < 3; k++)); do
        name=${names[$(((i + k) % 3))]}
        run "$name" "$name"
    done
done

median() { # FILE COLUMN
    sort -n -k"$2","$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
echo "runs: ms to map / ms to first drawing / VmHWM KiB"
paste "$work/dotdata" "$work/bare" "$work/text" | awk '{
    printf "  dotdata %6.1f / %6.1f / %6d   bare %6.1f / %6.1f / %6d   bare text %6.1f / %6.1f / %6d\n",
        $1, $2, $3, $4, $5, $6, $7, $8, $9 }'
row() { # LABEL COLUMN FORMAT
    awk -v label="$1" -v f="$3" -v d="$(median "$work/dotdata" "$2")" -v b="$(median "$work/bare" "$2")" \
        -v t="$(median "$work/text" "$2")" 'BEGIN { printf "  %-18s " f " " f " " f " %14.2f %18.2f\n", label, d, b, t, d / b, d / t }'
}
printf "  %-18s %9s %9s %9s %14s %18s\n" "median of $runs" dotdata bare "bare text" dotdata/bare "dotdata/bare text"
row "to map (ms)" 1 "%9.1f"
row "to drawing (ms)" 2 "%9.1f"
row "VmHWM (KiB)" 3 "%9d"
