#!/usr/bin/env bash
# Copyright (C) 2026 dotdata developers
# SPDX-License-Identifier: MIT
# Checks the Debian package that cpack -G DEB makes from what cmake --install puts in
# place: the file name and the exact file list, the desktop entry and metainfo
# validators, the icon sizes, Depends, the changelog's version, lintian, that the
# packaged program starts and that apt can install the package.
# usage: package.sh CPACK BUILD
set -euo pipefail
export LC_ALL=C
cpack=$1 build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "package: $*" >&2
    exit 1
}
passes() { # COMMAND...: runs a checker, failing with its output when it fails
    "$@" >"$work/check.log" 2>&1 || fail "$* failed:
$(cat "$work/check.log")"
}

"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$work/cpack.log")"
debs=("$work"/*.deb)
deb=${debs[0]} root=$work/root
version=$(dpkg-deb -f "$deb" Version)
[ ${#debs[@]} -eq 1 ] && [ "${deb##*/}" = "dotdata_${version}_$(dpkg --print-architecture).deb" ] ||
    fail "cpack made ${debs[*]##*/}"
# Mode and path of every file, sorted by path.
files=$(dpkg-deb -c "$deb" | awk '$NF !~ /\/$/ { sub(/^\.\//, "", $NF); print $1, $NF }' | sort -k2)
expected='-rwxr-xr-x usr/bin/dotdata
-rw-r--r-- usr/share/applications/dotdata.desktop
-rw-r--r-- usr/share/doc/dotdata/changelog.gz
-rw-r--r-- usr/share/doc/dotdata/copyright
-rw-r--r-- usr/share/icons/hicolor/32x32/apps/dotdata.png
-rw-r--r-- usr/share/icons/hicolor/64x64/apps/dotdata.png
-rw-r--r-- usr/share/icons/hicolor/scalable/apps/dotdata.svg
-rw-r--r-- usr/share/man/man1/dotdata.1.gz
-rw-r--r-- usr/share/metainfo/io.github.dotdata.dotdata.metainfo.xml'
[ "$files" = "$expected" ] || fail "the package's files differ: $(diff <(echo "$expected") <(echo "$files"))"
depends=$(dpkg-deb -f "$deb" Depends)
for name in libqt6widgets6 libc6 fonts-ipafont-gothic libpng16-16 libgif7 libjpeg62-turbo; do
    [[ ", $depends," =~ ", $name"[\ ,] ]] || fail "Depends does not name $name: $depends"
done

dpkg-deb -x "$deb" "$root"
metainfo=$root/usr/share/metainfo/io.github.dotdata.dotdata.metainfo.xml
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
zcat "$root/usr/share/doc/dotdata/changelog.gz" | head -n 1 | grep -qF "dotdata ($version) " ||
    fail "the changelog does not begin with version $version"
for size in 32 64; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/dotdata.png
    file -b "$png" | grep -q "^PNG image data, $size x $size," || fail "$png is $(file -b "$png")"
done
# desktop-file-validate exits 0 on warnings: any output fails. Its hints are left out, since
# Graphics and Development are both main categories on purpose. appstreamcli's --strict
# fails on warnings and infos too; its tree check also finds the entry the metainfo launches.
out=$(desktop-file-validate --no-hints "$root/usr/share/applications/dotdata.desktop" 2>&1) &&
    [ -z "$out" ] || fail "desktop-file-validate: $out"
passes appstreamcli validate --no-net --strict "$metainfo"
passes appstreamcli validate-tree --no-net --strict "$root"
# Debian's own checker; the maintainer's missing address is known (cmake/Packaging.cmake).
passes lintian --fail-on error,warning --suppress-tags malformed-contact "$deb"
# Without a display the program says so in one line of its own and exits 1 (a missing
# library would end it in the loader, with 127); it converts without one.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u XDG_SESSION_TYPE -u XDG_RUNTIME_DIR -u QT_QPA_PLATFORM \
    "$root/usr/bin/dotdata" >"$work/run.log" 2>&1 </dev/null ||
    status=$?
[ "$status" -eq 1 ] && [ "$(wc -l <"$work/run.log")" -eq 1 ] && grep -q '^dotdata: ' "$work/run.log" ||
    fail "the packaged program without a display ended with status $status: $(cat "$work/run.log")"
printf ' 3 \r\n' >"$work/in.dat"
"$root/usr/bin/dotdata" --export "$work/out.png" "$work/in.dat" || fail "the packaged program cannot export"
# Only a simulation: it resolves the dependencies against this machine's packages.
passes apt-get install --simulate "$deb"
echo "package: ${deb##*/} holds the expected files; Depends: $depends"
