#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# The command line of the real program, with no display at all: round trips through
# images and DATA text, and every kind of failure with its exit status, its one line on
# the standard error and nothing written; closed and non-blocking standard streams, a file
# size limit and another user's link. Each case is named; every failing one is reported,
# and the script fails at the end if any did.
# usage: cli.sh DOTDATA MANPAGE
set -uo pipefail
dotdata=$(realpath "$1") manpage=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
# Nothing of the caller's session: no display, and no runtime folder to find one in.
unset DISPLAY WAYLAND_DISPLAY WAYLAND_SOCKET QT_QPA_PLATFORM XDG_RUNTIME_DIR XDG_SESSION_TYPE
failed=()
failure() { # NAME WHY...
    failed+=("$1")
    echo "cli: FAIL $1: ${*:2}" >&2
    return 1
}
run() { # ARGS...: runs the program; its status in $status, its standard error in err, its
    # standard output in ${stdout:-out} (closed for "closed"). A command that opens the
    # editor by mistake is ended (status 124).
    status=0
    if [ "${stdout:-}" = closed ]; then
        timeout 20 "$dotdata" "$@" >&- 2>err || status=$?
    else
        timeout 20 "$dotdata" "$@" >"${stdout:-out}" 2>err || status=$?
    fi
}
check() { # NAME STATUS PATTERN ARGS...: the program with ARGS ends with STATUS; on success
    # it says nothing on the standard error, otherwise one line that matches PATTERN (ERE)
    local name=$1 want=$2 pattern=$3
    shift 3
    run "$@"
    if [ "$want" -eq 0 ]; then
        [ "$status" -eq 0 ] && [ ! -s err ] && return 0
    elif [ "$status" -eq "$want" ] && [ "$(wc -l <err)" -eq 1 ] && grep -qE -- "$pattern" err; then
        return 0
    fi
    failure "$name" "dotdata $* ended with $status, saying: $(cat err)"
}
holds() { # NAME COMMAND...: the command succeeds
    "${@:2}" >/dev/null 2>&1 || failure "$1" "$(printf '%q ' "${@:2}")failed"
}

# A picture with every colour in it, as the window saves it.
for n in $(seq 0 1023); do printf ' %d \r\n' $(((n * 5 + n / 32) % 8)); done >pic.dat

# Round trips: every image form, at scales 1 and 3 (read back by its size), DATA text (with
# CR LF too), back to the same bytes.
for form in png bmp gif ppm xpm ico "ico --scale 8" "png --scale 64" "gif --scale 64"; do
    set -- $form
    check "write .$form" 0 '' --export "round.$1" pic.dat "${@:2}" &&
        check "read .$form" 0 '' --export back.dat "round.$1" &&
        holds ".$form round trip" cmp pic.dat back.dat
done
check "write a PNG" 0 '' --export pic.png pic.dat
check "write a BMP at scale 3" 0 '' --export big.bmp pic.dat --scale 3 &&
    check "read a BMP at scale 3" 0 '' --export back3.dat big.bmp &&
    holds "BMP at scale 3 round trip" cmp pic.dat back3.dat
check "write DATA text with CR LF" 0 '' --export pic.bas pic.dat --crlf --start -20 &&
    check "read DATA text with CR LF" 0 '' --export back.log pic.bas &&
    holds "DATA text round trip" cmp pic.dat back.log
holds "a 32 x 32 PNG" grep -q '^PNG image data, 32 x 32' <(file -b pic.png)
holds "a 96 x 96 BMP" grep -q ', 96 x 96 x ' <(file -b big.bmp)
stdout=data.txt check "--data" 0 '' --data pic.png --start 100 && cp data.txt data100.txt
holds "--data: line numbers from --start" test "$(head -c 11 data.txt)" = " 100 DATA 0"
holds "--data: 32 lines" test "$(wc -l <data.txt)" -eq 32
holds "--data: LF ends" test -z "$(grep $'\r' data.txt)"
holds "--export .bas --crlf: CR LF ends" grep -q $'\r$' pic.bas
# The same text in other spellings: CR LF on the standard output, full-width digits as
# an input method types them, an upper-case suffix, --export=OUT.
check "--data --crlf, full-width digits" 0 '' --data pic.dat --start １００ --crlf &&
    holds "--data --crlf is --data with CR" cmp <(tr -d '\r' <out) data.txt &&
    holds "--data --crlf ends every line" test "$(grep -c $'\r$' out)" -eq 32
check "--export=SHIP.BAS" 0 '' --export=SHIP.BAS pic.dat --start=100 &&
    holds "SHIP.BAS is DATA text" cmp SHIP.BAS data.txt
# BASIC listings as people write them: quoted items, a comment or statement after them.
sed 's/ DATA \(.*\)/ DATA "\1"/' data.txt >quoted.bas
sed 's/$/: REM row/' data.txt >remarks.bas
for listing in quoted.bas remarks.bas; do
    check "read $listing" 0 '' --data "$listing" --start 100 && holds "$listing reads right" cmp out data.txt
done
# For other BASICs: quoted digits, line numbers a step apart, numbers past the common
# limits written all the same; the standard input as FILE.
check "--quote --step 1" 0 '' --data pic.dat --quote --step 1 --start 0 &&
    holds "--quote --step 1 line 32" test "$(sed -n 32p out)" = " 31 DATA \"$(sed -n 32p data.txt | cut -d ' ' -f 4)\""
check "--start 65000" 0 '' --data pic.dat --start 65000 &&
    holds "--start 65000 ends at 65310" test "$(tail -n 1 out | cut -c 1-12)" = " 65310 DATA "
check "the standard input" 0 '' --data - --start 100 <pic.png && holds "the standard input reads right" cmp out data.txt
# A listing with several pictures gives the one asked for, and only then.
for n in $(seq 0 1023); do printf ' %d \r\n' $((n % 8)); done >other.dat
run --data pic.dat && cp out game.bas && run --data other.dat --start 5320 && cat out >>game.bas
check "--sprite 2" 0 '' --export second.dat game.bas --sprite 2 && holds "--sprite 2 is the second" cmp second.dat other.dat
check "no such picture" 1 '^dotdata: .*game\.bas' --data game.bas --sprite 3
head -n 40 game.bas >odd.bas
check "DATA lines that are no whole picture" 1 'odd\.bas' --data odd.bas
# Pictures count in the order of their line numbers, as BASIC reads them, wherever their
# lines stand; a line number that two DATA lines have is refused, naming both.
run --data other.dat --start 6000 && cp out swapped.bas && run --data pic.dat && cat out >>swapped.bas
check "--sprite 1 of lines out of order" 0 '' --export first.dat swapped.bas --sprite 1 &&
    holds "--sprite 1 counts in line-number order" cmp first.dat pic.dat
run --data pic.dat && cp out twice.bas && run --data other.dat --start 5310 && cat out >>twice.bas
check "a line number twice" 1 'twice\.bas' --data twice.bas
# Several FILEs, or one of several pictures, are one listing numbered on; a sprite sheet
# holds them in one image, in a row or a grid, and gives them back; a picture file holds one.
check "several FILEs" 0 '' --data pic.dat other.dat && holds "several FILEs are one listing" cmp out game.bas
check "a listing in" 0 '' --data swapped.bas && holds "a listing in line-number order" cmp out game.bas
check "a sheet out" 0 '' --export sheet.png game.bas &&
    holds "a sheet is one row" grep -q '^PNG image data, 64 x 32' <(file -b sheet.png) &&
    check "a sheet in" 0 '' --export back.bas sheet.png && holds "listing, sheet, listing" cmp back.bas game.bas
check "a column out" 0 '' --export column.bmp game.bas --columns 1 &&
    check "a column in" 0 '' --data column.bmp && holds "listing, column, listing" cmp out game.bas
check "a grid out" 0 '' --export grid.ppm game.bas --columns 1 --scale 2 &&
    check "a grid in" 0 '' --data grid.ppm --scale 2 && holds "listing, grid, listing" cmp out game.bas
check "a grid of five" 0 '' --export grid.gif pic.dat other.dat pic.dat other.dat pic.dat --columns 3 &&
    check "a grid of five and one blank" 0 '' --export grid.bas grid.gif --scale 1 &&
    holds "the blank is colour 0" test "$(tail -n 1 grid.bas)" = " 6910 DATA $(printf '0%.0s' {1..32})"
check "a grid without --scale" 1 'grid\.gif: an image of 96 × 64 pixels is neither' --data grid.gif
check "a grid of other cells" 1 'grid\.gif: .* no grid of pictures 64 pixels' --data grid.gif --scale 2
check "--sprite on a sheet" 0 '' --export second.dat sheet.png --sprite 2 && holds "--sprite 2 of a sheet" cmp second.dat other.dat
check "no such picture of a sheet" 1 'sheet\.png: no picture 3: the image holds 2' --data sheet.png --sprite 3
check "several pictures to a picture file" 1 '^dotdata: several\.dat: 2 pictures' --export several.dat game.bas
check "one input fails" 1 '^dotdata: odd\.bas: 40 DATA lines' --export y.bas pic.dat odd.bas other.dat
holds "a failed input writes nothing" test ! -e y.bas -a ! -e several.dat
# shellcheck disable=SC2046
run --data $(yes pic.dat | head -n 4096) && mv out most.bas
check "4097 pictures" 1 '^dotdata: other\.dat: 4097 pictures or more' --data most.bas other.dat
check "line numbers that run into each other" 1 'line number "1E\+15" would be written more than once in the listing of 2' --data pic.dat other.dat --start 999999999999960 --step 1
# File names that are no valid UTF-8 stay the names they were given as, FILE and OUT alike,
# however alike they would look as text.
cp pic.dat $'x\xc1\xbf\xff.dat' && printf ' 1 \r\n' >$'x\xc1\xbf\xfe.dat'
check "non-UTF-8 names" 0 '' --export $'x\xc1\xbf\xfe.dat' $'x\xc1\xbf\xff.dat' &&
    holds "non-UTF-8 names stay apart" cmp pic.dat $'x\xc1\xbf\xfe.dat'
check "--export .txt" 0 '' --export data.txt pic.png --start 100 && holds ".txt is DATA text" cmp data.txt data100.txt
# The standard output as OUT: the picture file, as for a name without a suffix; no file "-".
check "--export - writes the standard output" 0 '' --export - pic.png &&
    holds "--export - is the picture file" cmp out pic.dat && holds "--export - writes no file -" test ! -e -

# Help and version; --help-all is the same help, as the help and the manual say.
check "--help" 0 '' --help && cp out help.txt
holds "--help shows the forms" grep -q -- '--export OUT' help.txt
holds "--help names --help-all" grep -qE -- '^ *-h, --help, --help-all +Show this help' help.txt
check "--help-all" 0 '' --help-all && holds "--help-all is --help" cmp out help.txt
holds "the manual names --help-all with --help" grep -qE -- '-h, --help, --help-all$' \
    <(LC_ALL=C MANWIDTH=80 man -l "$manpage" 2>/dev/null)
check "--version" 0 '' --version && holds "--version says the version" grep -qx 'dotdata [0-9.]*' out

# Failures: status 1 and one line naming the file; an existing output stays as it was.
# The wording of each reason is checked in process (words_test); here only where the
# reason is told by the program itself, or by a file made here and read nowhere else.
printf 'kept' >out.png
printf '8\r\n' >eight.dat
printf 'x\0y' >binary.dat
head -c 100 pic.png >cut.png
check "a PNG cut short" 1 'cut\.png' --export out.png cut.png
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
check "an interlaced PNG" 0 '' --data laced.png && holds "an interlaced PNG reads black" test "$(grep -c ' DATA 0\{32\}$' out)" -eq 32
for png in rows laced-less laced-more; do
    check "a damaged PNG: $png" 1 "$png\\.png.*: the PNG image is damaged$" --data $png.png
done
# A progressive JPEG of 64 scans, as many as any encoder writes, is read; one more is refused.
{ printf 'P5 32 32 255\n'; head -c 1024 /dev/zero; } | cjpeg -grayscale >grey.jpg
for dc in '64 0: 0 0 0 0;' '65 0: 0 0 0 1; 0: 0 0 1 0;'; do # the DC whole, or in two steps
    { echo "${dc#* }"; for k in $(seq 63); do echo "0: $k $k 0 0;"; done; } >scans
    jpegtran -scans scans grey.jpg >"scans${dc%% *}.jpg"
done
check "a JPEG of 64 scans" 0 '' --data scans64.jpg && holds "a JPEG of 64 scans reads black" test "$(grep -c ' DATA 0\{32\}$' out)" -eq 32
check "a JPEG of 65 scans" 1 'scans65\.jpg.*: the JPEG image is of a kind dotdata does not read$' --data scans65.jpg
check "a block of two colours" 1 'mixed\.png' --data mixed.png --scale 2
sed '3s/.$//' data.txt >short.bas && truncate -s 17M huge.dat && cat pic.dat pic.dat >many.dat
check "too many records" 1 'many\.dat' --data many.dat
check "a short DATA line" 1 'short\.bas' --data short.bas
check "a file too large" 1 'huge\.dat' --data huge.dat
printf 'P1 64 32\n' >wide.pbm
check "a picture not square" 1 'wide\.pbm' --data wide.pbm
check "a missing file" 1 'missing\.dat' --export out.png missing.dat
check "a colour 8" 1 'eight\.dat' --data eight.dat
check "binary data" 1 'binary\.dat' --export out.png binary.dat
printf '10 DATA 1,2,3\n' >loader.bas && cat data.txt >>loader.bas
check "a loader's DATA line" 1 'loader\.bas' --data loader.bas
for suffix in webp jpg pgm svg xbm tiff; do
    check "refused suffix .$suffix" 1 "out\\.$suffix.*: a \\.$suffix image cannot hold the picture exactly" --export out.$suffix pic.dat
done
check ".ico past scale 8" 1 'out\.ico.*: a \.ico image holds the picture exactly only up to --scale 8$' --export out.ico pic.dat --scale 9
check "an unknown suffix" 1 'out\.foo.*: dotdata writes no \.foo files: it writes an image as \.png \.bmp \.gif \.ppm \.xpm \.ico, DATA text as \.bas \.txt, a picture file as \.dat \.log or with no suffix$' --export out.foo pic.dat
mkdir folder.dat
check "a folder as OUT" 1 'folder\.dat' --export folder.dat pic.dat
stdout=/dev/full check "a full standard output" 1 'standard output: No space left' --data pic.dat
stdout=/dev/full check "--export - to a full standard output" 1 'standard output: No space left' --export - pic.dat
stdout=/dev/null check "/dev/stdout as OUT" 1 'cannot replace .*/dev/stdout.*: not a regular file; an output must be one$' --export /dev/stdout pic.dat
# The other refusals.
mkfifo fifo && printf '\xff\xfe 5\0' >wide.dat && sed 's/DATA 0/DATA 8/' data.txt >eight.bas
check "a FIFO" 1 'fifo' --data fifo
check "/proc/self/mem" 1 'cannot read .*/proc/self/mem.*: Input/output error$' --data /proc/self/mem
check "UTF-16 text" 1 'wide\.dat' --data wide.dat
check "a digit 8 in DATA" 1 'eight\.bas' --data eight.bas
holds "a failed export leaves its output" test "$(cat out.png)" = kept
holds "a failed export writes nothing" test -z "$(ls out.* | grep -v out.png)"

# The standard streams: closed (the program's first file would take its number), and a
# pipe left non-blocking by another reader.
check "a closed standard input" 1 '^dotdata: cannot read -: the standard input is closed$' --data - <&-
stdout=closed check "a closed standard output" 1 'standard output: Bad file descriptor$' --data pic.dat
stdout=expected.txt run --data pic.png
cat >nonblocking.py <<'EOF'
import fcntl, os, subprocess, sys, termios, struct
# The whole image waits in the pipe, whose write end stays open until the program is
# seen waiting for more: a read before then finds no data and would fail at once.
read, write = os.pipe()
os.write(write, sys.stdin.buffer.read())
os.set_blocking(read, False)
program = subprocess.Popen([sys.argv[1], "--data", "-"], stdin=read)
os.close(read)
def unread():
    return struct.unpack("i", fcntl.ioctl(write, termios.FIONREAD, b"\0\0\0\0"))[0]
while program.poll() is None:
    try:
        with open(f"/proc/{program.pid}/stat") as stat:
            waiting = stat.read().rsplit(")", 1)[1].split()[0] == "S"
    except FileNotFoundError:
        break
    if waiting and unread() == 0:
        break
os.close(write)
sys.exit(program.wait())
EOF
status=0
python3 nonblocking.py "$dotdata" <pic.png >out 2>err || status=$?
[ "$status" -eq 0 ] && [ ! -s err ] && cmp -s out expected.txt ||
    failure "a non-blocking standard input" "ended with $status, saying: $(cat err)"

# Usage errors: status 2 and the usage.
check "--data with --export" 2 '^dotdata: --data and --export exclude each other' --data pic.dat --export x.dat
check "a start number out of range" 2 '^dotdata: --start: the start number "1e400" is outside the range' --data pic.dat --start 1e400
check "a start number that repeats" 2 '^dotdata: --start: the line number " 1E\+16" would be written more than once' --data pic.dat --start 1e16
check "a start number that repeats a step apart" 2 '^dotdata: --start: the line number " 1E\+15" would be written more than once' --data pic.dat --start 1e15 --step 1
# Without a display, as with one: a misspelt option is a usage error, before Qt would look
# for a display, with Qt's options taken or not.
check "a misspelt option without a display" 2 "^dotdata: Unknown option 'qoute'; see 'dotdata --help'$" --qoute pic.dat
check "Qt's option and a misspelt one without a display" 2 "^dotdata: Unknown option 'qoute'; see 'dotdata --help'$" -platform xcb --qoute pic.dat
check "the editor without a display" 1 '^dotdata: no display found' pic.dat
check "the editor with Qt's option without a display" 1 '^dotdata: no display found' -nograb pic.dat
# The editor's own options reach Qt before the usage is checked, as in any Qt program.
check "an unknown option after Qt's" 2 "^dotdata: Unknown option 'bogus'; see 'dotdata --help'$" -platform offscreen --bogus
check "a missing value" 2 "^dotdata: Missing value after '--start'; see 'dotdata --help'$" --data pic.dat --start
check "--data without FILE" 2 '--data needs a FILE' --data --scale 2
check "a start number not a number" 2 '^dotdata: --start: .*"x" is not a decimal number' --data pic.dat --start x
for option in --crlf --quote "--step 5" "--start 1"; do
    # shellcheck disable=SC2086
    check "$option without --data" 2 "${option%% *} goes with --data or --export" -platform offscreen pic.dat $option
done
check "two FILEs for the editor" 2 '^dotdata: one FILE at most, not 2' -platform offscreen pic.dat other.dat
check "--sprite with two FILEs" 2 '^dotdata: --sprite picks a picture of one FILE, not of 2' --data pic.dat other.dat --sprite 1
check "the standard input twice" 2 '^dotdata: the standard input, -, can be one FILE only, not 2' --data - pic.dat - </dev/null
check "--columns without an image" 2 '^dotdata: --columns goes with --export to an image' --export y.bas pic.dat --columns 2
# A repeated option that takes a value would lose all but one of them.
check "--export twice" 2 '^dotdata: one --export at most, not 2;' --export x.dat --export y.dat pic.dat
check "--start twice" 2 '^dotdata: one --start at most, not 2;' --data pic.dat --start 1 --start=2
check "--step thrice" 2 '^dotdata: one --step at most, not 3;' --data pic.dat --step 1 --step 2 --step 3
check "--scale twice" 2 '^dotdata: one --scale at most, not 2;' --export x.png pic.dat --scale 2 --scale 3
check "--sprite twice" 2 '^dotdata: one --sprite at most, not 2;' --data game.bas --sprite 1 --sprite 2
check "--scale 65" 2 '^dotdata: --scale takes a whole number from 1 to 64, not "65"' --export x.png pic.dat --scale 65
check "--sprite 2^32 + 1" 2 '^dotdata: --sprite takes a whole number from 1 to 2147483647, not "4294967297"' --data pic.dat --sprite 4294967297
for bad in 0 -5 1.5 x ""; do
    check "--scale \"$bad\"" 2 "^dotdata: --scale takes a whole number from 1 to 64, not \"$bad\"" --data pic.dat --scale "$bad"
    check "--step \"$bad\"" 2 "^dotdata: --step takes a whole number of at least 1, not \"$bad\"" --data pic.dat --step "$bad"
    check "--sprite \"$bad\"" 2 "^dotdata: --sprite takes a whole number from 1 to 2147483647, not \"$bad\"" --data pic.dat --sprite "$bad"
done
holds "a usage error writes nothing" test ! -e x.png -a ! -e x.dat -a ! -e y.dat

# A save past a file size limit fails with a message rather than killing the program.
mkdir saved && printf 'old' >saved/old.dat
(ulimit -f 4 && check "a file size limit" 1 'old\.dat.*: File too large' --export saved/old.dat pic.dat) ||
    failed+=("a file size limit")
# As root with links protected, a save through another user's link in a sticky folder is
# refused as the kernel refuses it. Most systems protect links; a throwaway CI machine
# that does not is switched to it while this runs, and back. The setting is the whole
# machine's: another run switching it meanwhile is said, not taken for a fault of dotdata.
setting=/proc/sys/fs/protected_symlinks
if [ "${CI:-}" = true ] && [ "$(id -u)" -eq 0 ] && [ "$(cat $setting)" -eq 0 ] && echo 1 2>/dev/null >$setting; then
    trap 'echo 0 >$setting; rm -rf "$work"' EXIT
fi
if [ "$(id -u)" -eq 0 ] && [ "$(cat $setting)" -eq 1 ]; then
    before=("${failed[@]}")
    mkdir -m 1777 sticky
    ln -s ../saved/old.dat sticky/link
    chown -h 65534:65534 sticky/link
    check "another user's link" 1 'link.*Permission denied' --export sticky/link pic.dat
    ln -s ../saved/new.dat sticky/dangling # and so is such a link that points nowhere yet
    chown -h 65534:65534 sticky/dangling
    check "another user's dangling link" 1 'dangling.*Permission denied' --export sticky/dangling pic.dat
    chown -h 0:0 sticky/link
    check "one's own link" 0 '' --export sticky/link pic.dat && holds "one's own link is followed" cmp pic.dat saved/old.dat
    if [ "$(cat $setting)" -ne 1 ]; then
        echo "cli: fs.protected_symlinks was changed by another process during the link cases; their results do not count" >&2
        failed=("${before[@]}")
    fi
else
    echo "cli: link protection not checked (needs root and fs.protected_symlinks=1)"
fi
holds "nothing left behind in a failed save" test "$(ls -A saved)" = old.dat

if [ ${#failed[@]} -gt 0 ]; then
    echo "cli: ${#failed[@]} cases failed:$(printf ' [%s]' "${failed[@]}")" >&2
    exit 1
fi
echo "cli: round trips and failures as expected, without a display"
