#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# The command line's speed against the floor of a Qt Widgets program built as dotdata is
# (bare_window), side by side: dotdata --data against bare_window --print, which prints a
# line, dotdata --export x.png against bare_window --png, which saves a 32 x 32 PNG with
# QImage; then which files each path opens
# (no platform, style or font plugin, no font configuration), and 1000 picture files
# converted to PNG by a shell loop. The outputs go to the folder named by TMPDIR.
# usage: bench/commandline.sh [BUILD_DIR [RUNS]]   (defaults: build 200)
set -euo pipefail
build=$(cd "${1:-build}" && pwd) runs=${2:-200}
dotdata=$build/program/dotdata bare=$build/bench/bare_window
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
unset DISPLAY WAYLAND_DISPLAY
for n in $(seq 0 1023); do printf ' %d \r\n' $(((n * 5 + n / 32) % 8)); done >pic.dat
echo "outputs on $(stat -f -c %T .) ($work)"

hyperfine -N --warmup 10 --runs "$runs" --export-json times.json \
    "$bare --print" "$dotdata --data pic.dat" \
    "$bare --png floor.png" "$dotdata --export out.png pic.dat" >/dev/null
# Medians in ms, and each command against the floor before it.
python3 - <<'PY'
import json
r = json.load(open("times.json"))["results"]
m = [x["median"] * 1000 for x in r]
for i, x in enumerate(r):
    ratio = f"{m[i] / m[i - 1]:.2f} x the floor" if i % 2 else "floor"
    print(f"  {x['command'].split('/')[-1]:<40} median {m[i]:6.2f} ms   {ratio}")
PY

echo "files opened besides system libraries, the input, the output and its folder:"
for command in "--data pic.dat" "--export out.png pic.dat"; do
    # shellcheck disable=SC2086
    opened=$(strace -f -e trace=openat -o trace "$dotdata" $command >/dev/null &&
        grep -v ENOENT trace | grep -oE '"[^"]+"' | tr -d '"' | sort -u |
        grep -vE '^(/usr)?/lib/[^/]+/lib[^/]+\.so|^/etc/ld\.so\.cache$|^/sys/devices/system/cpu/|^pic\.dat$|^\.$' ||
        true)
    echo "  dotdata $command:"
    echo "${opened:-none}" | sed 's/^/    /'
    ! grep -qiE 'platforms|styles|fontconfig|fonts|xcb|wayland' <<<"$opened" ||
        { echo "commandline: dotdata $command opened a window system, style or font file" >&2; exit 1; }
done

mkdir many
for i in $(seq 1000); do cp pic.dat "many/$i.dat"; done
start=$(date +%s%N)
for f in many/*.dat; do "$dotdata" --export "${f%.dat}.png" "$f"; done
echo "1000 picture files to PNG in a shell loop: $((($(date +%s%N) - start) / 1000000)) ms"
