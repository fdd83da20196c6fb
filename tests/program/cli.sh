#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# The command line of the real program, with no display at all: round trips through
# images and DATA text, and every kind of failure with its exit status, its one line on
# the standard error and nothing written; a file size limit and another user's link.
# usage: cli.sh DOTDATA
set -euo pipefail
dotdata=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
fail() {
    echo "cli: $*" >&2
    exit 1
}
expect() { # STATUS PATTERN ARGS...: the exit status and a pattern the standard error matches;
    # the standard output goes to $stdout, or to the file out
    local want=$1 pattern=$2 status=0
    shift 2
    # A command that opens the editor by mistake is ended (status 124).
    timeout 20 "$dotdata" "$@" >"${stdout:-out}" 2>err || status=$?
    [ "$status" -eq "$want" ] && grep -qE -- "$pattern" err ||
        fail "dotdata $* ended with $status, saying: $(cat err)"
    [ "$want" -ne 1 ] || [ "$(wc -l <err)" -eq 1 ] || fail "dotdata $* said more than one line"
}
ok() { # ARGS...: succeeds and says nothing on the standard error
    timeout 20 "$dotdata" "$@" 2>err || fail "dotdata $* failed: $(cat err)"
    [ ! -s err ] || fail "dotdata $* said: $(cat err)"
}

# A picture with every colour in it, as the window saves it.
for n in $(seq 0 1023); do printf ' %d \r\n' $(((n * 5 + n / 32) % 8)); done >pic.dat

# Round trips: every image form, at scales 1 and 3 (read back by its size), DATA text (with
# CR LF too), back to the same bytes.
for form in png bmp gif ppm xpm ico "ico --scale 8" "png --scale 64" "gif --scale 64"; do
    set -- $form
    ok --export "round.$1" pic.dat "${@:2}" && ok --export back.dat "round.$1"
    cmp pic.dat back.dat || fail "the .$form image differs"
done
ok --export pic.png pic.dat && ok --export big.bmp pic.dat --scale 3 && ok --export back3.dat big.bmp
ok --export pic.bas pic.dat --crlf --start -20 && ok --export back.log pic.bas
for back in back3.dat back.log; do cmp pic.dat "$back" || fail "$back differs"; done
file -b pic.png | grep -q '^PNG image data, 32 x 32' || fail "pic.png is $(file -b pic.png)"
file -b big.bmp | grep -q ', 96 x 96 x ' || fail "big.bmp is $(file -b big.bmp)"
ok --data pic.png --start 100 >data.txt && cp data.txt data100.txt
[ "$(head -c 11 data.txt)" = " 100 DATA 0" ] && [ "$(wc -l <data.txt)" -eq 32 ] &&
    ! grep -q $'\r' data.txt && grep -q $'\r$' pic.bas || fail "DATA text: $(head -n 2 data.txt pic.bas)"
# The same text in other spellings: CR LF on the standard output, full-width digits as
# an input method types them, an upper-case suffix, --export=OUT.
ok --data pic.dat --start １００ --crlf | tr -d '\r' | cmp - data.txt || fail "--data --crlf"
[ "$(ok --data pic.dat --crlf | grep -c $'\r$')" -eq 32 ] || fail "--data --crlf ends"
ok --export=SHIP.BAS pic.dat --start=100 && cmp SHIP.BAS data.txt || fail "SHIP.BAS"
# BASIC listings as people write them: quoted items, a comment or statement after them.
sed 's/ DATA \(.*\)/ DATA "\1"/' data.txt >quoted.bas
sed 's/$/: REM row/' data.txt >remarks.bas
for listing in quoted.bas remarks.bas; do
    ok --data "$listing" --start 100 | cmp - data.txt || fail "$listing reads wrong"
done
# For other BASICs: quoted digits, line numbers a step apart, numbers past the common
# limits written all the same; the standard input as FILE.
ok --data pic.dat --quote --step 1 --start 0 >quoted.txt
[ "$(sed -n 32p quoted.txt)" = " 31 DATA \"$(sed -n 32p data.txt | cut -d ' ' -f 4)\"" ] ||
    fail "--quote --step: $(sed -n 32p quoted.txt)"
[ "$(ok --data pic.dat --start 65000 | tail -n 1 | cut -c 1-12)" = " 65310 DATA " ] || fail "65000"
ok --data - --start 100 <pic.png | cmp - data.txt || fail "the standard input"
# A listing with several pictures gives the one asked for, and only then.
for n in $(seq 0 1023); do printf ' %d \r\n' $((n % 8)); done >other.dat
{ ok --data pic.dat; ok --data other.dat --start 6000; } >game.bas
ok --export second.dat game.bas --sprite 2 && cmp second.dat other.dat || fail "--sprite 2"
expect 1 '^dotdata: game.bas: 2 pictures, from lines 5000, 6000; choose one with --sprite$' --data game.bas
expect 1 '^dotdata: game.bas: no picture 3: the DATA holds 2, from lines 5000, 6000$' --data game.bas --sprite 3
head -n 40 game.bas >odd.bas
expect 1 '^dotdata: odd.bas: 40 DATA lines, not 32 for each picture$' --data odd.bas
# File names that are no valid UTF-8 stay the names they were given as, FILE and OUT alike,
# however alike they would look as text.
cp pic.dat $'x\xc1\xbf\xff.dat' && printf ' 1 \r\n' >$'x\xc1\xbf\xfe.dat'
ok --export $'x\xc1\xbf\xfe.dat' $'x\xc1\xbf\xff.dat' && cmp pic.dat $'x\xc1\xbf\xfe.dat' || fail "a non-UTF-8 name changed"
ok --help-all >/dev/null && ok --export data.txt pic.png --start 100 && cmp data.txt data100.txt || fail ".txt"
ok --help | grep -q -- '--export OUT' && ok --version | grep -qx 'dotdata [0-9.]*' ||
    fail "no help or version"

# Failures: status 1 and one line naming the file; an existing output stays as it was.
printf 'kept' >out.png
printf '8\r\n' >eight.dat
printf 'x\0y' >binary.dat
head -c 100 pic.png >cut.png
expect 1 '^dotdata: cut.png: the PNG image is cut short$' --export out.png cut.png
# A 64 x 64 PNG whose 2 x 2 block of column 5, row 7 has one white pixel; whole 32 x 32
# PNG files whose image data ends after 31 rows, and interlaced with one byte more or less.
python3 -c 'import struct, sys, zlib
def chunk(kind, data): return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
def png(side, raw, laced=0): return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 0, 0, 0, laced))
    + chunk(b"IDAT", zlib.compress(bytes(raw))) + chunk(b"IEND", b""))
raw = bytearray(65 * 64); raw[14 * 65 + 1 + 11] = 255
passes = sum((32 - y + dy - 1) // dy * (1 + (32 - x + dx - 1) // dx) for x, y, dx, dy in
    ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)))
for name, image in (("mixed", png(64, raw)), ("rows", png(32, bytes(33 * 31))), ("laced", png(32, bytes(passes), 1)),
    ("laced-less", png(32, bytes(passes - 1), 1)), ("laced-more", png(32, bytes(passes + 1), 1))):
    open(name + ".png", "wb").write(image)'
ok --data laced.png | grep -c ' DATA 0\{32\}$' | grep -qx 32 || fail "an interlaced PNG"
for png in rows laced-less laced-more; do expect 1 "^dotdata: $png.png: the PNG image is damaged$" --data $png.png; done
# A progressive JPEG of 64 scans, as many as any encoder writes, is read; one more is refused.
{ printf 'P5 32 32 255\n'; head -c 1024 /dev/zero; } | cjpeg -grayscale >grey.jpg
for dc in '64 0: 0 0 0 0;' '65 0: 0 0 0 1; 0: 0 0 1 0;'; do # the DC whole, or in two steps
    { echo "${dc#* }"; for k in $(seq 63); do echo "0: $k $k 0 0;"; done; } >scans
    jpegtran -scans scans grey.jpg >"scans${dc%% *}.jpg"
done
ok --data scans64.jpg | grep -c ' DATA 0\{32\}$' | grep -qx 32 || fail "a 64-scan JPEG"
expect 1 '^dotdata: scans65.jpg: the JPEG image is of a kind dotdata does not read$' --data scans65.jpg
expect 1 '^dotdata: mixed.png: the 2 × 2 block of column 5, row 7 is not one colour$' --data mixed.png --scale 2
sed '3s/.$//' data.txt >short.bas && truncate -s 17M huge.dat && cat pic.dat pic.dat >many.dat
expect 1 '^dotdata: many.dat: the file has more than 1025 records$' --data many.dat
expect 2 '^dotdata: --sprite takes a whole number from 1 to 2147483647, not "4294967297"' --data pic.dat --sprite 4294967297
expect 1 '^dotdata: short.bas: line 3: 31 digits after DATA, not 32$' --data short.bas
expect 1 '^dotdata: huge.dat: the file is larger than 16 MiB' --data huge.dat
printf 'P1 64 32\n' >wide.pbm
expect 1 '^dotdata: wide.pbm: an image of 64 × 32 pixels; a picture' --data wide.pbm
expect 1 'cannot open missing.dat: No such file' --export out.png missing.dat
expect 1 '^dotdata: eight.dat: record 1 holds 8' --data eight.dat
expect 1 '^dotdata: binary.dat: binary data' --export out.png binary.dat
printf '10 DATA 1,2,3\n' >loader.bas && cat data.txt >>loader.bas
expect 1 '^dotdata: loader.bas: line 1: the DATA item is not 32 digits' --data loader.bas
for suffix in webp jpg pgm svg xbm tiff; do
    expect 1 "^dotdata: out.$suffix: a .$suffix image cannot hold the picture exactly" --export out.$suffix pic.dat
done
expect 1 '^dotdata: out.ico: a .ico image holds the picture exactly only up to --scale 8$' --export out.ico pic.dat --scale 9
expect 1 '^dotdata: out.foo: dotdata writes no .foo files: it writes an image as .png .bmp .gif .ppm .xpm .ico, DATA text as .bas .txt, a picture file as .dat .log or with no suffix$' --export out.foo pic.dat
mkdir folder.dat && expect 1 'cannot replace folder.dat: Is a directory' --export folder.dat pic.dat
stdout=/dev/full expect 1 'standard output: No space left' --data pic.dat
stdout=/dev/null expect 1 '^dotdata: cannot replace /dev/stdout: not a regular file; an output must be one$' --export /dev/stdout pic.dat
# The other refusals, as worded.
mkfifo fifo && printf '\xff\xfe 5\0' >wide.dat && sed 's/DATA 0/DATA 8/' data.txt >eight.bas
expect 2 '^dotdata: --data and --export exclude each other' --data pic.dat --export x.dat
expect 1 '^dotdata: fifo: not a regular file$' --data fifo
expect 1 '^dotdata: cannot read /proc/self/mem: Input/output error$' --data /proc/self/mem
expect 1 '^dotdata: wide.dat: the file is UTF-16 text .*; dotdata reads ASCII text$' --data wide.dat
expect 1 '^dotdata: eight.bas: line 1: the digit 8 has no palette colour \(0 to 7\)$' --data eight.bas
expect 2 '^dotdata: --start: the start number "1e400" is outside the range' --data pic.dat --start 1e400
expect 2 '^dotdata: --start: the line number " 1E\+16" would be written more than once' --data pic.dat --start 1e16
[ "$(cat out.png)" = kept ] && [ -z "$(ls out.* | grep -v out.png)" ] || fail "a failed export changed its output"
# Usage errors: status 2 and the usage.
# The editor's own options reach Qt before the usage is checked, as in any Qt program.
expect 2 "^dotdata: Unknown option 'bogus'; see 'dotdata --help'$" -platform offscreen --bogus
expect 2 "^dotdata: Missing value after '--start'; see 'dotdata --help'$" --data pic.dat --start
expect 2 '--data needs a FILE' --data --scale 2
expect 2 '^dotdata: --start: .*"x" is not a decimal number' --data pic.dat --start x
for option in --crlf --quote "--step 5" "--start 1"; do
    # shellcheck disable=SC2086
    expect 2 "${option%% *} goes with --data or --export" -platform offscreen pic.dat $option
done
expect 2 '^dotdata: one FILE at most, not 2' --data pic.dat other.dat
expect 2 '^dotdata: --scale takes a whole number from 1 to 64, not "65"' --export x.png pic.dat --scale 65
for bad in 0 -5 1.5 x ""; do
    expect 2 "^dotdata: --scale takes a whole number from 1 to 64, not \"$bad\"" --data pic.dat --scale "$bad"
    expect 2 "^dotdata: --step takes a whole number of at least 1, not \"$bad\"" --data pic.dat --step "$bad"
    expect 2 "^dotdata: --sprite takes a whole number from 1 to 2147483647, not \"$bad\"" --data pic.dat --sprite "$bad"
done
[ ! -e x.png ] || fail "a usage error wrote a file"

# A save past a file size limit fails with a message rather than killing the program.
mkdir saved && printf 'old' >saved/old.dat
(ulimit -f 4 && expect 1 'old.dat: File too large' --export saved/old.dat pic.dat)
# As root with links protected, a save through another user's link in a sticky folder is
# refused as the kernel refuses it. Most systems protect links; a throwaway CI machine
# that does not is switched to it while this runs, and back.
setting=/proc/sys/fs/protected_symlinks
if [ "${CI:-}" = true ] && [ "$(id -u)" -eq 0 ] && [ "$(cat $setting)" -eq 0 ] && echo 1 2>/dev/null >$setting; then
    trap 'echo 0 >$setting; rm -rf "$work"' EXIT
fi
if [ "$(id -u)" -eq 0 ] && [ "$(cat $setting)" -eq 1 ]; then
    mkdir -m 1777 sticky
    ln -s ../saved/old.dat sticky/link
    chown -h 65534:65534 sticky/link
    expect 1 'link.*Permission denied' --export sticky/link pic.dat
    ln -s ../saved/new.dat sticky/dangling # and so is such a link that points nowhere yet
    chown -h 65534:65534 sticky/dangling
    expect 1 'dangling.*Permission denied' --export sticky/dangling pic.dat
    chown -h 0:0 sticky/link
    ok --export sticky/link pic.dat && cmp -s pic.dat saved/old.dat || fail "one's own link"
else
    echo "cli: link protection not checked (needs root and fs.protected_symlinks=1)"
fi
[ "$(ls -A saved)" = old.dat ] || fail "left behind: $(ls -A saved)"
echo "cli: round trips and failures as expected, without a display"
