#!/usr/bin/env bash
# Installs whatever is missing, builds dotdata into build/ and opens the editor.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake -S . -B build -G Ninja
cmake --build build
exec build/window/dotdata
