#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# The README's loader, as shown there, with dotdata's DATA after it, runs in bwbasic,
# yabasic and Brandy and prints the rows of the picture and the colour of one dot: with
# bare and quoted digits (yabasic READs strings only from quoted DATA), and with line
# numbers one apart. In a listing of three pictures, the loader with its K set to 1, 2 or
# 3 prints picture K in each of the three. bwbasic, like dotdata, reads DATA lines in the
# order of their numbers wherever they stand. Each case that fails is named; the others
# still run.
# usage: basic.sh DOTDATA README
set -euo pipefail
dotdata=$1 readme=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
unset DISPLAY WAYLAND_DISPLAY
failed=0
check() { # NAME COMMAND...: runs the command, and names the case if it fails
    local name=$1
    shift
    "$@" || {
        echo "basic: $name" >&2
        failed=1
    }
}
awk '/^```basic$/ { shown = 1; next } /^```$/ { shown = 0 } shown' "$readme" >loader.bas
[ -s loader.bas ] || {
    echo "basic: no loader in $readme" >&2
    exit 1
}
picture() { # SEED: a picture file whose rows differ from those of other seeds
    for n in $(seq 0 1023); do printf ' %d \r\n' $(((n * 5 + n / 32 + $1 * (3 + n / 97)) % 8)); done
}
expect() { # PICTURE: sets what the loader should print for it: its rows, the colour of a dot
    tr -d ' \r' <"$1" | paste -sd '' | fold -w 32 >rows.txt
    colour=$(sed -n 2p rows.txt | cut -c 3)
}
picture 0 >pic.dat
expect pic.dat

run() { # INTERPRETER LISTING: what the interpreter prints running the listing, as lines
    case $1 in
    bwbasic | yabasic) timeout 20 "$1" "$2" </dev/null 2>&1 || true ;;
    brandy)
        # Brandy draws in a window of its own; *SPOOL copies what it prints to a file.
        printf '10 *SPOOL brandy.txt\n20 CHAIN "%s"\n' "$2" >spool.bas
        rm -f brandy.txt
        SDL_VIDEODRIVER=dummy timeout 20 brandy -quit spool.bas </dev/null >/dev/null 2>&1 || true
        cat brandy.txt 2>/dev/null || true
        ;;
    esac | tr -d '\r'
}
reads() { # INTERPRETER LISTING: prints the picture's rows, then the colour of the dot
    run "$1" "$2" >out.txt
    grep -E '^[0-7]{32}$' out.txt | cmp -s - rows.txt && grep -qE "^colour +$colour\$" out.txt ||
        { echo "basic: $1 printed, at the end: $(tail -n 4 out.txt)" >&2 && return 1; }
}

for style in "" "--quote" "--start 1000 --step 1 --quote"; do
    # shellcheck disable=SC2086
    { cat loader.bas; "$dotdata" --data pic.dat $style; } >"game${style// /}.bas"
    for basic in bwbasic yabasic brandy; do
        [ "$basic" != yabasic ] || [ -n "$style" ] || continue
        check "$basic with ${style:-bare digits}" reads "$basic" "game${style// /}.bas"
    done
done

# A listing whose line 1005 stands after line 1010: bwbasic reads the rows in the order of
# their numbers, and so does dotdata.
"$dotdata" --data pic.dat --start 1000 --step 5 >data.txt
{ cat loader.bas; sed -n 1p data.txt; sed -n 3p data.txt; sed -n 2p data.txt; sed -n '4,$p' data.txt; } >order.bas
check "bwbasic with line 1005 after 1010" reads bwbasic order.bas
check "dotdata with line 1005 after 1010" eval '"$dotdata" --export back.dat order.bas && cmp -s back.dat pic.dat'

for seed in 1 2 3; do picture "$seed" >"pic$seed.dat"; done
# One run makes the listing, the numbers running on from picture to picture.
"$dotdata" --data pic1.dat pic2.dat pic3.dat --quote >sprites.bas
for k in 1 2 3; do
    { sed "s/^20 K = [0-9]*\r\?\$/20 K = $k/" loader.bas; cat sprites.bas; } >"picture$k.bas"
    grep -q "^20 K = $k\$" "picture$k.bas" || {
        echo "basic: the loader sets no K on line 20" >&2
        exit 1
    }
    expect "pic$k.dat"
    for basic in bwbasic yabasic brandy; do
        check "$basic reading picture $k of 3" reads "$basic" "picture$k.bas"
    done
done

[ "$failed" -eq 0 ] || exit 1
echo "basic: the loader reads the picture in bwbasic, yabasic and Brandy, bare and quoted,"
echo "basic: and picture 1, 2 and 3 of a listing of three"
