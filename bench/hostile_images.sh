#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# Time and peak memory of `dotdata --data` on images that bury a picture in metadata, and
# on the largest good images beside them. Each file is made here; each line gives the
# file, the exit status, the wall time and the peak RSS (GNU time), and the message.
# usage: bench/hostile_images.sh [BUILD_DIR]   (default: build)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
dotdata=$build/program/dotdata
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for n in $(seq 0 1023); do printf ' %d \r\n' $(((n * 5 + n / 32) % 8)); done >pic.dat
"$dotdata" --export pic.png pic.dat && "$dotdata" --export big.png pic.dat --scale 64
"$dotdata" --export pic.ppm pic.dat && "$dotdata" --export big.ppm pic.dat --scale 64
"$dotdata" --export big.gif pic.dat --scale 64
cjpeg -quality 100 -sample 1x1 pic.ppm >pic.jpg
cjpeg -quality 100 -sample 1x1 -progressive big.ppm >big.jpg
cjpeg -quality 100 -sample 1x1 -arithmetic big.ppm >arith.jpg
python3 - <<'PY'
import struct, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = open("pic.png", "rb").read()
def with_chunks(chunks): return png[:33] + chunks + png[33:]
bomb = zlib.compress(bytes(7_900_000), 9)
ztxt = chunk(b"zTXt", b"Comment\0\0" + bomb)
itxt = chunk(b"iTXt", b"Comment\0\1\0\0\0" + bomb)
open("ztxt8.png", "wb").write(with_chunks(ztxt * 8))
open("ztxt130.png", "wb").write(with_chunks(ztxt * 130))
open("itxt40.png", "wb").write(with_chunks(itxt * 40))
inner = with_chunks(ztxt * 8)
open("ztxt8.ico", "wb").write(b"\0\0\1\0\1\0" + bytes([32, 32, 0, 0, 1, 0, 32, 0])
                              + struct.pack("<II", len(inner), 22) + inner)
text = chunk(b"tEXt", b"Comment\0" + b"x" * 65000)
meta = text * ((16 << 20) // len(text) - 1)
open("meta16m.png", "wb").write(with_chunks(meta)[: 16 << 20])
for name in ("pic", "big"):
    jpeg = open(name + ".jpg", "rb").read()
    com = b"\xff\xfe" + struct.pack(">H", 65535) + b"c" * 65533
    flood = jpeg[:2] + com * ((16 << 20) // len(com) - 1) + jpeg[2:]
    open(name + "-com16m.jpg", "wb").write(flood[: 16 << 20])
jpeg = open("pic.jpg", "rb").read()
app1 = b"\xff\xe1" + struct.pack(">H", 65535) + b"Exif\0\0" + b"x" * 65527
open("meta16m.jpg", "wb").write((jpeg[:2] + app1 * ((16 << 20) // len(app1)) + jpeg[2:])[: 16 << 20])
PY
for f in ztxt8.png ztxt130.png itxt40.png ztxt8.ico meta16m.png pic-com16m.jpg big-com16m.jpg \
    meta16m.jpg big.png big.gif big.jpg arith.jpg big.ppm; do
    status=0
    /usr/bin/time -f '%e %M' -o time.txt "$dotdata" --data "$f" >/dev/null 2>err.txt || status=$?
    read -r seconds kib < <(tail -n 1 time.txt)
    printf '%-16s %8d bytes  status %d  %5.2f s  %4d MB  %s\n' "$f" "$(stat -c %s "$f")" \
        "$status" "$seconds" $((kib / 1024)) "$(head -c 90 err.txt)"
done
