#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# Makes docs/screenshot.png from the real window: builds what is missing, then paints a
# small sample picture offscreen, presses MAKE DATA and saves what the window shows.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DDOTDATA_BUILD_TESTS=ON >/dev/null
cmake --build build --target window_screenshot
QT_QPA_PLATFORM=offscreen build/scripts/window_screenshot docs/screenshot.png
echo "screenshot: docs/screenshot.png"
