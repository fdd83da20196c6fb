#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# Another user (65534) keeps exchanging a folder of her own in a sticky folder with a link
# to someone else's folder, while he saves RUNS times through it. Three races:
#   last  root saves to STICKY/m/pic.dat: the link is the folder the file is saved in
#   up    root saves to STICKY/m/sub/pic.dat: the link is one folder further up
#   home  a user (4242) saves to STICKY/m/sub/pic.dat, the link to his own 0700 home
# After each save his file must read as before and his folder hold nothing else; a save
# that changed either is counted as replaced (and put back). Any replaced fails the run.
# Saves protect every folder of the path whatever fs.protected_symlinks says, so the
# setting is left as it is and only reported. Needs root (to be three users); elsewhere it
# says that it did not run.
# usage: folder_swap.sh DOTDATA [RUNS] [RACE...]   (default 500, all three)
set -euo pipefail
dotdata=$1 runs=${2:-500}
races=("${@:3}")
[ ${#races[@]} -gt 0 ] || races=(last up home)
if [ "$(id -u)" -ne 0 ]; then
    echo "folder_swap: not run (needs root)"
    exit 0
fi
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait; rm -rf "$work"' EXIT
chmod 755 "$work"
for n in $(seq 0 1023); do printf ' 2 \r\n'; done >"$work/in.dat"
shopt -s nullglob dotglob
replacedAll=0

race() { # NAME SAVER(uid) DEPTH(sub/ or empty)
    local name=$1 saver=$2 sub=$3 victim="$work/$1-victim" sticky="$work/$1-sticky"
    mkdir -m 700 "$victim"
    [ -z "$sub" ] || mkdir -m 700 "$victim/$sub"
    printf 'his' >"$victim/${sub}pic.dat"
    chown -R "$saver:$saver" "$victim"
    mkdir -m 1777 "$sticky"
    # Her side: her folder m (with a decoy) and her link m.link, exchanged as fast as the
    # kernel allows (renameat2 with RENAME_EXCHANGE).
    setpriv --reuid=65534 --regid=65534 --clear-groups /usr/bin/python3 - "$sticky" "$victim" "$sub" <<'PY' &
import ctypes, os, sys
os.chdir(sys.argv[1])
os.makedirs("m/" + sys.argv[3])
os.chmod("m", 0o777)
if sys.argv[3]:
    os.chmod("m/" + sys.argv[3], 0o777)
open("m/" + sys.argv[3] + "pic.dat", "w").write("hers")
os.chmod("m/" + sys.argv[3] + "pic.dat", 0o666)
os.symlink(sys.argv[2], "m.link")
libc = ctypes.CDLL(None, use_errno=True)
while True:
    libc.renameat2(-100, b"m", -100, b"m.link", 2)
PY
    local her=$! i saved=0 replaced=0 left what
    for ((i = 0; i < 500; i++)); do [ -L "$sticky/m.link" ] || [ -L "$sticky/m" ] && break; sleep 0.01; done
    for ((i = 0; i < runs; i++)); do
        setpriv --reuid="$saver" --regid="$saver" --clear-groups \
            "$dotdata" --export "$sticky/m/${sub}pic.dat" "$work/in.dat" 2>/dev/null &&
            saved=$((saved + 1))
        what=
        read -r what <"$victim/${sub}pic.dat" || true
        left=("$victim/$sub"*)
        if [ "$what" != his ] || [ ${#left[@]} -ne 1 ]; then
            replaced=$((replaced + 1))
            rm -rf "${left[@]}"
            printf 'his' >"$victim/${sub}pic.dat"
            chown "$saver:$saver" "$victim/${sub}pic.dat"
        fi
    done
    kill $her
    wait $her 2>/dev/null || true
    echo "folder_swap $name: $runs saves by uid $saver to STICKY/m/${sub}pic.dat: $saved" \
        "saved, $replaced replaced his file or left files in his folder"
    replacedAll=$((replacedAll + replaced))
}

echo "folder_swap: fs.protected_symlinks is $(cat /proc/sys/fs/protected_symlinks)"
for r in "${races[@]}"; do
    case $r in
    last) race last 0 "" ;;
    up) race up 0 sub/ ;;
    home) race home 4242 sub/ ;;
    *) echo "folder_swap: no race $r" >&2; exit 2 ;;
    esac
done
[ "$replacedAll" -eq 0 ] || { echo "folder_swap: a save reached another's folder" >&2; exit 1; }
