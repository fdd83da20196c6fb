#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# Installs what building and running needs if it is missing, builds dotdata into build/
# (the program, without the tests and benchmarks) and opens the editor.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh run

cmake -S . -B build -G Ninja -DDOTDATA_BUILD_TESTS=OFF -DDOTDATA_BUILD_BENCH=OFF
cmake --build build
exec build/program/dotdata
