#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# usage: catalogue.sh LUPDATE TS [LUPDATE OPTIONS] -- SOURCES
# Fails, naming each case, when the catalogue has a text without its finished
# translation, or when lupdate would change it (a source text added, changed or gone).
set -uo pipefail
lupdate=$1 ts=$2
shift 2
options=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do options+=("$1"); shift; done
shift
failed=0
check() { # NAME: the rest of the arguments is a command that must succeed
    local name=$1
    shift
    if ! "$@"; then
        echo "FAILED: $name"
        failed=1
    fi
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

unfinished() { ! grep -B3 -E '<translation( type="(unfinished|vanished|obsolete)")?/?>(</translation>)?$|type="unfinished"' "$ts"; }
check "every text has its finished translation" unfinished
cp "$ts" "$work/dotdata_ja.ts"
check "lupdate runs" "$lupdate" -silent "${options[@]}" "$@" -ts "$work/dotdata_ja.ts"
check "the catalogue holds what the sources say (run: cmake --build build --target update_translations)" \
    diff -u "$ts" "$work/dotdata_ja.ts"
exit $failed
