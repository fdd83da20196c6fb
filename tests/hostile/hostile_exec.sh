#!/usr/bin/env bash
# Hostile cases against the real program, through its command line
# (dotdata --export OUT IN: 0 on success, 1 and one line "dotdata: FILE: reason" on
# failure). A save past a file size limit must fail with a message, not kill the
# program; as root with fs.protected_symlinks=1, a save through another user's link in
# a sticky folder must be refused as the kernel refuses it. The old file stays intact
# and nothing is left behind.
# usage: hostile_exec.sh DOTDATA
set -euo pipefail
dotdata=$1 work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "hostile_exec: $*" >&2
    exit 1
}
mkdir "$work/out"
for _ in $(seq 1024); do printf ' 3 \r\n'; done >"$work/in.dat"
echo "old contents" >"$work/out/old.dat"

export_to() { # OUT [LIMIT]: the export under a file size limit in KiB; prints the status
    local status=0
    (ulimit -f "${2:-unlimited}" && exec timeout 10 "$dotdata" --export "$1" "$work/in.dat") \
        2>"$work/err" || status=$?
    echo "$status"
}
refused() { # STATUS REASON: status 1, one line naming the reason, the old file intact
    [ "$1" -eq 1 ] && [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "$2" "$work/err" ||
        fail "expected a refusal for '$2', got status $1: $(cat "$work/err")"
    [ "$(cat "$work/out/old.dat")" = "old contents" ] || fail "the old file changed"
    [ "$(ls -A "$work/out")" = old.dat ] || fail "left behind: $(ls -A "$work/out")"
}

refused "$(export_to "$work/out/old.dat" 4)" "File too large"

# Most systems protect links (fs.protected_symlinks=1); a throwaway CI machine that does
# not is switched to it while this runs, and back.
setting=/proc/sys/fs/protected_symlinks
if [ "${CI:-}" = true ] && [ "$(id -u)" -eq 0 ] && [ "$(cat $setting)" -eq 0 ] && echo 1 2>/dev/null >$setting; then
    trap 'echo 0 >$setting; rm -rf "$work"' EXIT
fi
if [ "$(id -u)" -ne 0 ] || [ "$(cat $setting)" -ne 1 ]; then
    echo "hostile_exec: link protection not checked (needs root and fs.protected_symlinks=1)"
    exit 0
fi
mkdir -m 1777 "$work/sticky"
ln -s ../out/old.dat "$work/sticky/link"
chown -h 65534:65534 "$work/sticky/link"
refused "$(export_to "$work/sticky/link")" "Permission denied"
chown -h 0:0 "$work/sticky/link"
[ "$(export_to "$work/sticky/link")" -eq 0 ] && cmp -s "$work/in.dat" "$work/out/old.dat" ||
    fail "a save through one's own link did not work: $(cat "$work/err")"
echo "hostile_exec: the size limit and another user's link refused cleanly"
