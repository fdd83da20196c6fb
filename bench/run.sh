#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# Every benchmark in one run, on a release build: the core (text, save, load, reader and
# its peak memory), the window offscreen (MAKE DATA, clicks) and the start-up on Xvfb,
# mapped and polled, and the command line. The figures in docs/performance.md come from
# this script.
# usage: bench/run.sh [BUILD_DIR]   (default build; configured and built if needed)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

cmake -S . -B "$build" -G Ninja -DDOTDATA_BUILD_WINDOW=ON -DDOTDATA_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null

echo "== machine"
echo "$(nproc) CPUs: $(lscpu | sed -n 's/^Model name: *//p'), $(uname -r)"
echo "build type: $(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt")"
folder=${TMPDIR:-/tmp}
echo "files and saves in $folder, file system $(df --output=fstype "$folder" | tail -n 1)"
echo
echo "== core (median of 5 repetitions)"
"$build/bench/core_bench" --benchmark_repetitions=5 --benchmark_display_aggregates_only=true 2>&1 |
    grep -E '^(BM_|-|Benchmark)' | grep -E 'median|^Benchmark|^-'
echo
echo "== window, offscreen (MAKE DATA: median of 5 QBENCHMARK runs)"
QT_QPA_PLATFORM=offscreen "$build/bench/window_bench" -median 5 2>/dev/null | grep -E 'RESULT|^ |QINFO'
echo
echo "== start-up on Xvfb, window mapped"
bash bench/startup.sh "$build" 9 2>/dev/null
echo
echo "== start-up on Xvfb, window found viewable by polling"
bash bench/startup.sh "$build" 9 --poll 2>/dev/null
echo
echo "== command line against the floor of a Qt program (median of 200)"
bash bench/commandline.sh "$build" 200 2>/dev/null
