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

# Round trips: every image form once (BMP at scale 3, read back by its size), DATA text
# with CR LF and a start number of its own, back to the same bytes.
for form in png gif ppm xpm ico "bmp --scale 3" "bas --crlf --start -20"; do
    set -- $form
    check "write .$form" 0 '' --export "pic.$1" pic.dat "${@:2}" &&
        check "read .$form" 0 '' --export back.dat "pic.$1" &&
        holds ".$form round trip" cmp pic.dat back.dat
done
holds "--scale 3: a 96 x 96 BMP" grep -q ', 96 x 96 x ' <(file -b pic.bmp)
stdout=data.txt check "--data" 0 '' --data pic.png --start 100
holds "--data: line numbers from --start" test "$(head -c 11 data.txt)" = " 100 DATA 0"
# The same text in other spellings: CR LF on the standard output, full-width digits as
# an input method types them, --export=OUT with an upper-case suffix.
check "--data --crlf, full-width digits" 0 '' --data pic.dat --start １００ --crlf &&
    holds "--data --crlf is --data with CR LF" cmp out <(sed 's/$/\r/' data.txt)
check "--export=SHIP.TXT" 0 '' --export=SHIP.TXT pic.dat --start=100 &&
    holds "SHIP.TXT is DATA text" cmp SHIP.TXT data.txt
check "--quote --step 1" 0 '' --data pic.dat --quote --step 1 --start 0 &&
    holds "--quote --step 1 line 32" test "$(sed -n 32p out)" = " 31 DATA \"$(sed -n 32p data.txt | cut -d ' ' -f 4)\""
check "the standard input" 0 '' --data - --start 100 <pic.png && holds "the standard input reads right" cmp out data.txt
# Several FILEs, or one of several pictures, are one listing numbered on; a sprite sheet
# holds them in one image, in a row, a column or a grid, and gives them back (--sprite
# takes one); a picture file holds one.
for n in $(seq 0 1023); do printf ' %d \r\n' $((n % 8)); done >other.dat
run --data pic.dat && cp out game.bas && run --data other.dat --start 5320 && cat out >>game.bas
head -n 40 game.bas >odd.bas
check "several FILEs" 0 '' --data pic.dat other.dat && holds "several FILEs are one listing" cmp out game.bas
check "a sheet out" 0 '' --export sheet.png game.bas &&
    holds "a sheet is one row" grep -q '^PNG image data, 64 x 32' <(file -b sheet.png) &&
    check "a sheet in" 0 '' --export back.bas sheet.png && holds "listing, sheet, listing" cmp back.bas game.bas
check "a column out" 0 '' --export column.ppm game.bas --columns 1 --scale 2 &&
    check "a column in" 0 '' --data column.ppm --scale 2 && holds "listing, column, listing" cmp out game.bas
check "a grid of five" 0 '' --export grid.gif pic.dat other.dat pic.dat other.dat pic.dat --columns 3 &&
    check "a grid of five and one blank" 0 '' --export grid.bas grid.gif --scale 1 &&
    holds "the blank is colour 0" test "$(tail -n 1 grid.bas)" = " 6910 DATA $(printf '0%.0s' {1..32})"
check "a grid without --scale" 1 'grid\.gif: an image of 96 × 64 pixels is neither' --data grid.gif
check "a grid of other cells" 1 'grid\.gif: .* no grid of pictures 64 pixels' --data grid.gif --scale 2
check "--sprite on a sheet" 0 '' --export second.dat sheet.png --sprite 2 && holds "--sprite 2 of a sheet" cmp second.dat other.dat
check "no such picture of a sheet" 1 'sheet\.png: no picture 3: the image holds 2' --data sheet.png --sprite 3
check "an icon of two pictures" 1 'two\.ico.*: a \.ico image cannot hold the picture exactly' --export two.ico game.bas
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

# Failures: status 1 and one line naming the file, one case of each kind (the wording of
# every reason is checked in process); an existing output stays as it was.
printf 'kept' >out.png
printf '8\r\n' >eight.dat
head -c 100 pic.png >cut.png
check "a missing file" 1 '^dotdata: cannot open missing\.dat: No such file or directory$' --export out.png missing.dat
check "a colour 8" 1 '^dotdata: eight\.dat: record 1 holds 8, which has no palette colour \(0 to 7\)$' --export out.png eight.dat
check "a PNG cut short" 1 '^dotdata: cut\.png: the PNG image is cut short$' --export out.png cut.png
check "a refused image suffix" 1 '^dotdata: out\.jpg.*: a \.jpg image cannot hold the picture exactly; images are written as \.png \.bmp \.gif \.ppm \.xpm \.ico$' --export out.jpg pic.dat
check ".ico past scale 8" 1 'out\.ico.*: a \.ico image holds the picture exactly only up to --scale 8$' --export out.ico pic.dat --scale 9
check "an unknown suffix" 1 'out\.foo.*: dotdata writes no \.foo files: it writes an image as \.png \.bmp \.gif \.ppm \.xpm \.ico, DATA text as \.bas \.txt, a picture file as \.dat \.log or with no suffix$' --export out.foo pic.dat
holds "a failed export leaves its output" test "$(cat out.png)" = kept
holds "a failed export writes nothing" test -z "$(ls out.* | grep -v out.png)"
# Whole 32 x 32 PNG files whose image data ends after 31 rows, and interlaced with one
# byte more or less.
python3 -c 'import struct, sys, zlib
def chunk(kind, data): return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
def png(side, raw, laced=0): return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 0, 0, 0, laced))
    + chunk(b"IDAT", zlib.compress(bytes(raw))) + chunk(b"IEND", b""))
passes = sum((32 - y + dy - 1) // dy * (1 + (32 - x + dx - 1) // dx) for x, y, dx, dy in
    ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)))
for name, image in (("rows", png(32, bytes(33 * 31))), ("laced", png(32, bytes(passes), 1)),
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
stdout=/dev/full check "a full standard output" 1 'standard output: No space left' --data pic.dat
stdout=/dev/full check "--export - to a full standard output" 1 'standard output: No space left' --export - pic.dat

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
check "a start number that repeats a step apart" 2 '^dotdata: --start: the line number " 1E\+15" would be written more than once' --data pic.dat --start 1e15 --step 1
# Without a display, as with one: a misspelt option is a usage error, before Qt would look
# for a display, with Qt's options taken or not.
check "a misspelt option without a display" 2 "^dotdata: Unknown option 'qoute'; see 'dotdata --help'$" --qoute pic.dat
check "a one-letter option without a display" 2 "^dotdata: Unknown option 'q'; see 'dotdata --help'$" -q pic.dat
check "Qt's option and a misspelt one without a display" 2 "^dotdata: Unknown option 'qoute'; see 'dotdata --help'$" -platform xcb --qoute pic.dat
check "the editor without a display" 1 '^dotdata: no display found' pic.dat
check "the editor with Qt's option without a display" 1 '^dotdata: no display found' -nograb pic.dat
# The editor's own options reach Qt before the usage is checked, as in any Qt program.
check "an unknown option after Qt's" 2 "^dotdata: Unknown option 'bogus'; see 'dotdata --help'$" -platform offscreen --bogus
check "a missing value" 2 "^dotdata: Missing value after '--start'; see 'dotdata --help'$" --data pic.dat --start
check "--data without FILE" 2 '--data needs a FILE' --data --scale 2
for option in --crlf --quote "--step 5" "--start 1"; do
    # shellcheck disable=SC2086
    check "$option without --data" 2 "${option%% *} goes with --data or --export" -platform offscreen pic.dat $option
done
check "two FILEs for the editor" 2 '^dotdata: one FILE at most, not 2' -platform offscreen pic.dat other.dat
check "--sprite with two FILEs" 2 '^dotdata: --sprite picks a picture of one FILE, not of 2' --data pic.dat other.dat --sprite 1
check "the standard input twice" 2 '^dotdata: the standard input, -, can be one FILE only, not 2' --data - pic.dat - </dev/null
check "--columns without an image" 2 '^dotdata: --columns goes with --export to an image' --export y.bas pic.dat --columns 2
# A repeated option that takes a value would lose all but one of them.
for option in export start step scale sprite columns; do
    check "--$option thrice" 2 "^dotdata: one --$option at most, not 3;" --data pic.dat --$option 1 --$option=2 --$option 3
done
declare -A range=([scale]='from 1 to 64' [step]='of at least 1' [sprite]='from 1 to 2147483647')
for bad in scale:65 scale:0 step:-5 step:1.5 sprite:4294967297 sprite:x sprite:; do
    option=${bad%%:*} value=${bad#*:}
    check "--$option \"$value\"" 2 "^dotdata: --$option takes a whole number ${range[$option]}, not \"$value\"" --data pic.dat --$option "$value"
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
