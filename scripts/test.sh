#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# Builds dotdata and runs every test: the normal build (core, window, smoke test),
# then the core and the image reading again under AddressSanitizer +
# UndefinedBehaviorSanitizer with the fuzz targets run for a bounded time. Fails when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)

cmake -S . -B build -G Ninja -DDOTDATA_BUILD_WINDOW=ON -DDOTDATA_BUILD_TESTS=ON -DDOTDATA_BUILD_BENCH=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja \
    -DDOTDATA_BUILD_WINDOW=OFF -DDOTDATA_BUILD_BENCH=OFF \
    -DDOTDATA_SANITIZE=ON -DDOTDATA_FUZZ=ON
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
