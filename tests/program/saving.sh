#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# Saving with the real program on a real full file system, as root (to mount a small one).
# FIFOs and devices behind links, size limits, closed folders and other users' links are
# checked in process (picturefile_test) and through the command line (cli.sh); the full
# file system is faked there, so the kernel's own refusal is checked here.
# usage: saving.sh DOTDATA
set -uo pipefail
dotdata=$(realpath "$1")
work=$(mktemp -d)
trap 'mountpoint -q "$work/full" && umount "$work/full"; rm -rf "$work"' EXIT
cd "$work"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
if [ "$(id -u)" -ne 0 ]; then
    echo "saving: a full file system not checked (needs root)"
    exit 0
fi
for n in $(seq 0 1023); do printf ' 2 \r\n'; done >pic.dat
mkdir full && mount -t tmpfs -o size=64k,nr_inodes=2 tmpfs full && touch full/taken
status=0
timeout 20 "$dotdata" --export full/new.dat pic.dat >out 2>err || status=$?
umount full
if [ "$status" -ne 1 ] || [ "$(wc -l <err)" -ne 1 ] ||
    ! grep -q '^dotdata: cannot write full/new.dat: No space left on device' err; then
    echo "saving: a file system with no room for a file: ended with $status, saying: $(cat err)" >&2
    exit 1
fi
