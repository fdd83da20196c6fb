#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# The README's loader, as shown there, with dotdata's DATA after it, runs in bwbasic and
# prints the rows of the picture and the colour of one dot: with bare and quoted digits,
# and with line numbers one apart.
# usage: basic.sh DOTDATA README
set -euo pipefail
dotdata=$1 readme=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() {
    echo "basic: $*" >&2
    exit 1
}
awk '/^```basic$/ { shown = 1; next } /^```$/ { shown = 0 } shown' "$readme" >loader.bas
[ -s loader.bas ] || fail "no loader in $readme"
for n in $(seq 0 1023); do printf ' %d \r\n' $(((n * 5 + n / 32) % 8)); done >pic.dat
tr -d ' \r' <pic.dat | paste -sd '' | fold -w 32 >rows.txt
colour=$(sed -n 2p rows.txt | cut -c 3)
for style in "" "--quote" "--start 1000 --step 1 --quote"; do
    # shellcheck disable=SC2086
    { cat loader.bas; "$dotdata" --data pic.dat $style; } >game.bas
    timeout 20 bwbasic game.bas </dev/null >out.txt 2>&1 || true
    grep -E '^[0-7]{32}$' out.txt | cmp -s - rows.txt && grep -q "^colour $colour\b" out.txt ||
        fail "with ${style:-bare digits} bwbasic printed: $(cat out.txt)"
done
echo "basic: the loader reads the picture in bwbasic, bare and quoted"
