#!/usr/bin/env bash
# Hostile cases against the real program, through its command line
# (dotdata --export OUT IN: 0 on success, 1 and one line "dotdata: FILE: reason" on
# failure). A save past a file size limit must fail with a message, not kill the
# program; a save through another user's link in a sticky folder must be refused as
# the kernel refuses it; a huge file must be refused at once. Old files stay intact.
# usage: hostile_exec.sh DOTDATA
set -euo pipefail
dotdata=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "hostile_exec: $*" >&2
    exit 1
}
mkdir "$work/in" "$work/out"
for _ in $(seq 1024); do printf ' 3 \r\n'; done >"$work/in/in.dat"

# export OUT [LIMIT]: runs the export under a file size limit in KiB; prints the status.
export_to() {
    local status=0
    (ulimit -f "${2:-unlimited}" && exec timeout 10 "$dotdata" --export "$1" "$work/in/in.dat") \
        2>"$work/err" || status=$?
    echo "$status"
}
refused() { # STATUS REASON FILE: status 1, one line naming the reason, FILE intact
    [ "$1" -eq 1 ] && [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "$2" "$work/err" ||
        fail "expected a refusal for '$2', got status $1: $(cat "$work/err")"
    [ "$(cat "$3")" = "old contents" ] || fail "$3 changed"
}

[ "$(export_to "$work/out/new.dat")" -eq 0 ] && cmp -s "$work/in/in.dat" "$work/out/new.dat" ||
    fail "a plain export did not work: $(cat "$work/err")"

echo "old contents" >"$work/out/old.dat"
refused "$(export_to "$work/out/old.dat" 4)" "File too large" "$work/out/old.dat"
[ "$(ls -A "$work/out")" = "$(printf 'new.dat\nold.dat')" ] || fail "left behind: $(ls -A "$work/out")"

truncate -s 8G "$work/in/huge.dat"
status=0
timeout 5 "$dotdata" --export "$work/out/old.dat" "$work/in/huge.dat" 2>"$work/err" || status=$?
refused "$status" "4 MiB" "$work/out/old.dat"

if [ "$(id -u)" -ne 0 ] || [ "$(cat /proc/sys/fs/protected_symlinks)" -ne 1 ]; then
    echo "hostile_exec: link protection not checked (needs root and fs.protected_symlinks=1)"
    exit 0
fi
mkdir -m 1777 "$work/sticky"
ln -s ../out/old.dat "$work/sticky/link"
chown -h 65534:65534 "$work/sticky/link"
refused "$(export_to "$work/sticky/link")" "Permission denied" "$work/out/old.dat"
chown -h 0:0 "$work/sticky/link"
[ "$(export_to "$work/sticky/link")" -eq 0 ] || fail "one's own link refused: $(cat "$work/err")"
echo "hostile_exec: size limit, huge file and link protection all refused cleanly"
