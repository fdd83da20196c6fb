#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# Many pictures: N distinct 32 x 32 PNGs (made by dotdata --export from picture files),
# each turned into DATA text or a plain image, side by side with hyperfine:
#   (a) N runs of  dotdata --data f.png            (a loop in one shell, in total)
#   (b) one run of dotdata --data f_1.png ... f_N.png > listing
#   (c) N runs of  convert f.png f.ppm             (ImageMagick, a loop in one shell)
#   (d) one run of mogrify -format ppm f_*.png     (ImageMagick, into a folder of its own)
# then the growth of (b): its median time and its peak memory (GNU time's %M) for 1, 10,
# 100 and 1000 inputs (those up to N). It prints markdown tables for docs/performance.md.
# A dotdata that takes one input a run fails (b): the script says so and leaves (b) and the
# growth out. It checks what each command wrote (32 DATA lines a picture, N images), never
# a time. The files go to the folder named by TMPDIR.
# usage: bench/batch.sh [BUILD_DIR [N]]   (defaults: build 1000)
set -euo pipefail
build=$(cd "${1:-build}" && pwd) n=${2:-1000}
dotdata=$build/program/dotdata
[[ $n =~ ^[1-9][0-9]*$ && $n -le 4096 ]] || {
    echo "batch: N must be a whole number from 1 to 4096, not $n" >&2
    exit 2
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
unset DISPLAY WAYLAND_DISPLAY
runs=$((n >= 100 ? 3 : 1)) warmup=$((n >= 100 ? 1 : 0))

# Picture i holds i in base 8 in its first four dots, so no two of the 4096 are alike.
python3 - "$n" <<'PY'
import sys
for i in range(int(sys.argv[1])):
    digits = [i // 512 % 8, i // 64 % 8, i // 8 % 8, i % 8]
    cells = digits + [(c * 5 + c // 32 + i) % 8 for c in range(4, 1024)]
    with open(f"f_{i:04d}.dat", "w", newline="") as f:
        f.write("".join(f" {v} \r\n" for v in cells))
PY
# shellcheck disable=SC2016 # the inner shell expands them
printf '%s\n' f_*.dat | xargs -P 2 -I {} sh -c 'exec "$0" --export "${1%.dat}.png" "$1"' "$dotdata" {}
rm f_*.dat
[ "$(printf '%s\n' f_*.png | wc -l)" -eq "$n" ] || {
    echo "batch: dotdata --export did not make $n PNGs" >&2
    exit 1
}
echo "$n PNGs in $work, file system $(df --output=fstype . | tail -n 1); $runs runs each after $warmup warm-up"

datalines() { grep -cE '^ ?-?[0-9.]+ DATA ' "$1" || true; }
expect() { # WHAT COUNT WANTED: fails the script unless a command wrote what it should
    [ "$2" -eq "$3" ] || {
        echo "batch: $1: $2, not $3" >&2
        exit 1
    }
}
# Each command runs once untimed, to check its output; hyperfine then times it.
single="for f in f_*.png; do \"$dotdata\" --data \"\$f\"; done"
sh -c "$single" >single.bas
expect "(a) wrote DATA lines" "$(datalines single.bas)" $((32 * n))
one="\"$dotdata\" --data f_*.png"
batch=yes
if ! sh -c "$one" >listing.bas 2>one.err || [ "$(datalines listing.bas)" -ne $((32 * n)) ]; then
    batch=
    echo "batch: (b) left out: this dotdata does not write one listing of several inputs" \
        "($(head -c 200 one.err | head -n 1))"
fi
mkdir convert mogrify
convert="for f in f_*.png; do /usr/bin/convert \"\$f\" \"convert/\${f%.png}.ppm\"; done"
mogrify="/usr/bin/mogrify -path mogrify -format ppm f_*.png"
sh -c "$convert" && sh -c "$mogrify"
expect "(c) wrote images" "$(find convert -name '*.ppm' | wc -l)" "$n"
expect "(d) wrote images" "$(find mogrify -name '*.ppm' | wc -l)" "$n"

commands=("$single >/dev/null" "$convert" "$mogrify")
[ -z "$batch" ] || commands+=("$one >/dev/null")
hyperfine --warmup "$warmup" --runs "$runs" --export-json side.json "${commands[@]}" \
    >/dev/null 2>hyperfine.log || { cat hyperfine.log >&2; exit 1; }

if [ -n "$batch" ]; then
    : >growth.txt
    for k in 1 10 100 1000; do
        [ "$k" -le "$n" ] || break
        files=$(printf '%s\n' f_*.png | head -n "$k" | tr '\n' ' ')
        # shellcheck disable=SC2086
        /usr/bin/time -o peak.txt -f '%M' "$dotdata" --data $files >/dev/null
        hyperfine --warmup 1 --runs $((runs * 3)) --export-json "growth$k.json" \
            "\"$dotdata\" --data $files >/dev/null" >/dev/null 2>hyperfine.log ||
            { cat hyperfine.log >&2; exit 1; }
        echo "$k growth$k.json $(cat peak.txt)" >>growth.txt
    done
fi

python3 - "$n" "$batch" <<'PY'
import json, statistics, sys
n, batch = int(sys.argv[1]), sys.argv[2] == "yes"
results = json.load(open("side.json"))["results"]
median = [statistics.median(r["times"]) for r in results]
a, c, d = median[0], median[1], median[2]
rows = [(f"(a) {n} runs of `dotdata --data f.png`", a),
        (f"(b) one run of `dotdata --data f_1.png … f_{n}.png`", median[3] if batch else None),
        (f"(c) {n} runs of `convert f.png f.ppm`", c),
        (f"(d) one run of `mogrify -format ppm` over the {n}", d)]
print(f"\n{n} distinct 32 × 32 PNGs; median of {len(results[0]['times'])} runs of each, whole loop:\n")
print("| command | total (s) | per picture (ms) | × (a) |")
print("|---|---:|---:|---:|")
for name, t in rows:
    if t is None:
        print(f"| {name} | not run: dotdata takes one input a run | | |")
    else:
        print(f"| {name} | {t:.3f} | {t / n * 1000:.3f} | {t / a:.3f} |")
if batch:
    print(f"\n(b)/(a) = {median[3] / a:.3f} (the target is at most 0.05)")
    print("\nGrowth of the one-run form (`dotdata --data` over k PNGs):\n")
    print("| inputs | time (ms, median) | per input (ms) | peak memory (KiB) |")
    print("|---:|---:|---:|---:|")
    for line in open("growth.txt"):
        k, name, peak = line.split()
        t = statistics.median(json.load(open(name))["results"][0]["times"]) * 1000
        print(f"| {k} | {t:.2f} | {t / int(k):.3f} | {peak} |")
PY
