#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# The command line against the floor of a Qt Widgets program built as dotdata is
# (bare_window), with ImageMagick's convert of a 32 x 32 PNG beside them:
#   dotdata --data pic.dat            against  bare_window --print (prints a line)
#   dotdata --export out.png pic.dat  against  bare_window --png (saves a 32 x 32 PNG)
# hyperfine runs all five in rounds of rotated order; the medians are over every run.
# Then the time the export's two fsyncs take, under strace, the peak memory (VmHWM) of
# --data on the largest input (16 MiB) and on an empty file, and the check: neither path opens a window system, style or font file (strace).
# The outputs go to the folder named by TMPDIR (TMPDIR=/dev/shm for tmpfs).
# usage: bench/commandline.sh [BUILD_DIR [RUNS]]   (defaults: build 200)
set -euo pipefail
build=$(cd "${1:-build}" && pwd) runs=${2:-200}
dotdata=$build/program/dotdata bare=$build/bench/bare_window
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
unset DISPLAY WAYLAND_DISPLAY
for n in $(seq 0 1023); do printf ' %d \r\n' $(((n * 5 + n / 32) % 8)); done >pic.dat
"$dotdata" --export pic.png pic.dat
echo "outputs in $work, file system $(df --output=fstype . | tail -n 1)"

commands=("$bare --print" "$dotdata --data pic.dat" "$bare --png floor.png"
    "$dotdata --export out.png pic.dat" "/usr/bin/convert pic.png convert.png")
rounds=$((runs >= 20 ? 10 : 1))
for ((i = 0; i < rounds; i++)); do
    hyperfine -N --warmup 3 --runs $((runs / rounds)) --export-json "round$i.json" \
        "${commands[@]:i % 5}" "${commands[@]:0:i % 5}" >/dev/null 2>hyperfine.log ||
        { cat hyperfine.log >&2; exit 1; }
done
python3 - "${commands[@]}" <<'PY'
import glob, json, statistics, sys
times = {c: [] for c in sys.argv[1:]}
for r in (r for name in glob.glob("round*.json") for r in json.load(open(name))["results"]):
    times[r["command"]] += r["times"]
m = [statistics.median(times[c]) * 1000 for c in sys.argv[1:]]
vs = ["floor", f"{m[1] / m[0]:.2f} x the floor", "floor",
      f"{m[3] / m[2]:.2f} x the floor, {m[3] / m[4]:.2f} x convert", ""]
print(f"median of {len(times[sys.argv[1]])} runs each, in ms:")
for c, median, v in zip(sys.argv[1:], m, vs):
    print(f"  {c.split('/')[-1]:<40} {median:6.2f}   {v}")
PY
# What the export does beyond the floor: its fsync of the file and of the folder.
for i in $(seq 20); do strace -T -e trace=fsync -o "fsync$i" "$dotdata" --export out.png pic.dat; done
grep -h '^fsync' fsync* | python3 -c 'import re, statistics as s, sys
t = [float(re.search("<(.+)>", line)[1]) * 1000 for line in sys.stdin]
print(f"dotdata --export fsyncs (strace -T, median of 20): file {s.median(t[::2]):.2f} ms, folder {s.median(t[1::2]):.2f} ms")'

head -c 16M /dev/zero | tr '\0' x >junk && : >empty
peak() { /usr/bin/time -f %M "$dotdata" --data "$1" 2>&1 >/dev/null; }
echo "dotdata --data VmHWM: empty file $(peak empty) KiB, 16 MiB file $(peak junk) KiB"

for command in "--data pic.dat" "--export out.png pic.dat"; do
    # shellcheck disable=SC2086
    opened=$(strace -f -e trace=openat -o trace "$dotdata" $command >/dev/null && grep -v ENOENT trace |
        grep -oE '"[^"]+"' | tr -d '"' | grep -vE '^(/usr)?/lib/[^/]+/lib[^/]+\.so' |
        grep -iE 'platforms|styles|fontconfig|fonts|xcb|wayland' || true)
    [ -z "$opened" ] || { echo "commandline: dotdata $command opened $opened" >&2; exit 1; }
done
echo "dotdata --data and --export open no window system, style or font file"
