#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# Saving with the real program where the file system and other users get in the way: a
# FIFO or a device behind a link, a full file system, folders one may not write in, and
# other users' links in a folder of the path. Every case is reported by name, and the run
# goes on. The cases marked root need root (to be other users and to mount a small file
# system); elsewhere they are said to be skipped.
# usage: saving.sh DOTDATA
set -uo pipefail
dotdata=$(realpath "$1")
work=$(mktemp -d)
trap 'mountpoint -q "$work/full" && umount "$work/full"; rm -rf "$work"' EXIT
cd "$work"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
failed=0
root=$([ "$(id -u)" -eq 0 ] && echo yes || true)
check() { # NAME STATUS PATTERN [AS-UID] -- ARGS...: the exit status and the one line said
    # (nothing on success)
    local name=$1 want=$2 pattern=$3 as=() status=0
    shift 3
    [ "$1" = -- ] || { as=(setpriv --reuid="$1" --regid="$1" --clear-groups); shift; }
    shift
    # A save that blocks on a FIFO is ended (status 124).
    timeout 20 "${as[@]}" "$dotdata" "$@" >out 2>err || status=$?
    if [ "$status" -ne "$want" ] || [ "$(wc -l <err)" -ne $((want ? 1 : 0)) ] ||
        { [ "$want" -ne 0 ] && ! grep -qE -- "$pattern" err; }; then
        echo "saving: $name: dotdata $* ended with $status, saying: $(cat err)" >&2
        failed=1
        return 1
    fi
}
same() { # NAME FILE TEXT: the file still reads TEXT
    [ "$(cat "$2")" = "$3" ] || { echo "saving: $1: $2 was replaced" >&2; failed=1; }
}
for n in $(seq 0 1023); do printf ' 2 \r\n'; done >pic.dat
chmod 755 "$work" && chmod 644 pic.dat

# What is behind a link is looked at, not opened: a FIFO with no reader would block.
mkfifo fifo && ln -s fifo fifo.dat && ln -s /dev/null null.dat
check "a FIFO behind a link" 1 '^dotdata: cannot replace fifo.dat: not a regular file' -- \
    --export fifo.dat pic.dat
check "a device behind a link" 1 '^dotdata: cannot replace null.dat: not a regular file' -- \
    --export null.dat pic.dat

# A failure names what the user needs: the file, and the folder where the folder refused.
(ulimit -f 4 && check "a file size limit" 1 '^dotdata: cannot write big.dat: File too large' -- \
    --export big.dat pic.dat) || failed=1
if [ -n "$root" ]; then
    mkdir -m 555 closed && mkdir -m 777 open && ln -s ../closed/new.dat open/back.dat
    check "a folder one may not write in (root)" 1 \
        '^dotdata: cannot create a file in closed: Permission denied' 65534 -- --export closed/new.dat pic.dat
    check "a link's folder, named from here (root)" 1 \
        '^dotdata: cannot create a file in open/../closed: Permission denied' 65534 -- \
        --export open/back.dat pic.dat
    mkdir full && mount -t tmpfs -o size=64k,nr_inodes=2 tmpfs full && touch full/taken
    check "a file system with no room for a file (root)" 1 \
        '^dotdata: cannot write full/new.dat: No space left on device' -- --export full/new.dat pic.dat
    umount full
else
    echo "saving: folders refused and a full file system not checked (needs root)"
fi

# Another user's (65534) link in a sticky world-writable folder is followed by nobody
# else, wherever it lies on the path, whatever fs.protected_symlinks says; one's own link
# and the folder owner's are followed.
if [ -n "$root" ]; then
    mkdir -m 1777 sticky && mkdir -m 700 rootdir rootdir/sub && printf root >rootdir/sub/pic.dat
    mkdir -m 700 home home/sub && printf his >home/sub/pic.dat && chown -R 4242:4242 home
    ln -s ../rootdir sticky/hers && ln -s ../home sticky/tohome && ln -s ../rootdir/sub/pic.dat sticky/hers.dat
    chown -h 65534:65534 sticky/hers sticky/tohome sticky/hers.dat
    check "her link one folder up (root)" 1 '^dotdata: cannot follow the link sticky/hers: Permission denied' -- \
        --export sticky/hers/sub/pic.dat pic.dat
    check "her link as the folder (root)" 1 '^dotdata: cannot follow the link sticky/hers: Permission denied' -- \
        --export sticky/hers/pic.dat pic.dat
    check "her link at the end (root)" 1 '^dotdata: cannot follow the link sticky/hers.dat: Permission denied' -- \
        --export sticky/hers.dat pic.dat
    same "root's file" rootdir/sub/pic.dat root
    [ ! -e rootdir/pic.dat ] || { echo "saving: her link as the folder: a file was made" >&2; failed=1; }
    check "her link to his own home (root)" 1 '^dotdata: cannot follow the link sticky/tohome: Permission denied' \
        4242 -- --export sticky/tohome/sub/pic.dat pic.dat
    same "his file" home/sub/pic.dat his
    ln -s ../rootdir sticky/mine
    check "the folder owner's link (root)" 0 '' -- --export sticky/mine/sub/pic.dat pic.dat
    cmp -s pic.dat rootdir/sub/pic.dat || { echo "saving: the folder owner's link: not saved" >&2; failed=1; }
else
    echo "saving: other users' links not checked (needs root)"
fi
exit $failed
