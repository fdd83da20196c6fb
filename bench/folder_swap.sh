#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# Another user swaps a folder of the path root saves to: /STICKY/mdir is now her own
# folder, now a link to a folder of root's. Root saves RUNS times through that path. No
# save may touch root's folder: its file stays root's, as it was, and nothing is left in
# it. Needs root and fs.protected_symlinks=1; on a throwaway machine (CI=true) the setting
# is switched on for the run and back. Elsewhere it says that it did not run.
# usage: folder_swap.sh DOTDATA [RUNS]   (default 500)
set -euo pipefail
dotdata=$1 runs=${2:-500}
setting=/proc/sys/fs/protected_symlinks
if [ "$(id -u)" -ne 0 ] || ! { [ "$(cat $setting)" -eq 1 ] || [ "${CI:-}" = true ]; }; then
    echo "folder_swap: not run (needs root and fs.protected_symlinks=1)"
    exit 0
fi
work=$(mktemp -d)
was=$(cat $setting)
trap 'kill $(jobs -p) 2>/dev/null || true; echo "$was" >$setting; rm -rf "$work"' EXIT
echo 1 >$setting
chmod 755 "$work"
mkdir -m 755 "$work/root" && printf 'root' >"$work/root/pic.dat"
mkdir -m 1777 "$work/sticky"
for n in $(seq 0 1023); do printf ' 2 \r\n'; done >"$work/in.dat"

# Her side: a folder with a decoy of her own, and a link to root's folder, exchanged as
# fast as the kernel allows (renameat2 with RENAME_EXCHANGE).
setpriv --reuid=65534 --regid=65534 --clear-groups /usr/bin/python3 - "$work/sticky" "$work/root" <<'PY' &
import ctypes, os, sys
os.chdir(sys.argv[1])
os.mkdir("mdir")
open("mdir/pic.dat", "w").write("hers")
os.symlink(sys.argv[2], "mlink")
libc = ctypes.CDLL(None, use_errno=True)
while True:
    libc.renameat2(-100, b"mdir", -100, b"mlink", 2)
PY
for ((i = 0; i < 500; i++)); do [ -L "$work/sticky/mlink" ] || [ -L "$work/sticky/mdir" ] && break; sleep 0.01; done

saved=0
for ((i = 0; i < runs; i++)); do
    "$dotdata" --export "$work/sticky/mdir/pic.dat" "$work/in.dat" 2>/dev/null && saved=$((saved + 1))
done
kill %1
left=$(ls -A "$work/root" | tr "\n" " " | sed "s/ $//")
owner=$(stat -c %u "$work/root/pic.dat")
echo "folder_swap: $runs saves through a swapped folder, $saved done (in her folder)," \
    "root's folder holds: $left, owned by $owner, reading '$(head -c 4 "$work/root/pic.dat")'"
[ "$left" = pic.dat ] && [ "$owner" -eq 0 ] && [ "$(cat "$work/root/pic.dat")" = root ] ||
    { echo "folder_swap: a save reached root's folder" >&2; exit 1; }
