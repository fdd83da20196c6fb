#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# Every benchmark in one run: the core, the window offscreen, the start-up on Xvfb (21
# rotated rounds), the command line (200 runs each, outputs in TMPDIR, then in /dev/shm,
# tmpfs) and 1000 pictures in one run against one run each. The figures in
# docs/performance.md come from this script. The load average is printed at the start and
# the end: the machine may be shared.
# usage: bench/run.sh [BUILD_DIR]   (default build; configured and built if needed)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake -S . -B "$build" -G Ninja -DDOTDATA_BUILD_WINDOW=ON -DDOTDATA_BUILD_BENCH=ON >/dev/null
cmake --build "$build" >/dev/null

echo "== $(date -u '+%F %H:%M UTC'); $(nproc) CPUs: $(lscpu | sed -n 's/^Model name: *//p'); Linux $(uname -r)"
echo "build type $(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt");" \
    "TMPDIR ${TMPDIR:-/tmp} on $(df --output=fstype "${TMPDIR:-/tmp}" | tail -n 1); load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== core (median of 5 repetitions)"
"$build/bench/core_bench" --benchmark_repetitions=5 --benchmark_display_aggregates_only=true 2>&1 |
    grep -E '^Benchmark|median'
echo "== window, offscreen (MAKE DATA: median of 5 QBENCHMARK runs)"
QT_QPA_PLATFORM=offscreen "$build/bench/window_bench" -median 5 2>/dev/null | grep -E 'RESULT|^ |QINFO'
echo "== start-up on Xvfb"
bash bench/startup.sh "$build" 21
echo "== command line, outputs in TMPDIR"
bash bench/commandline.sh "$build" 200
echo "== command line, outputs on tmpfs"
TMPDIR=/dev/shm bash bench/commandline.sh "$build" 200
echo "== many pictures: 1000 PNGs, outputs in TMPDIR"
bash bench/batch.sh "$build" 1000
echo "== end; load $(cut -d' ' -f1-3 /proc/loadavg)"
