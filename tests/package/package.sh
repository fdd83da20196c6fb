#!/usr/bin/env bash
# Checks what dotdata installs and what its Debian package holds.
# usage: package.sh install CMAKE BUILD   cmake --install into a temporary root: the exact
#                                         file list, the desktop entry and metainfo validators,
#                                         the icon sizes, and that the program starts
#        package.sh deb CPACK BUILD       cpack -G DEB: the file name and list, Depends, the
#                                         changelog's version, lintian, that the packaged
#                                         program starts and that apt can install it
set -euo pipefail
export LC_ALL=C
mode=$1 tool=$2 build=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "package: $*" >&2
    exit 1
}

# Mode and path of every file under the root, sorted by path.
expected='-rwxr-xr-x usr/bin/dotdata
-rw-r--r-- usr/lib/'"$(dpkg-architecture -qDEB_HOST_MULTIARCH)"'/dotdata/dotdata-gui.so
-rw-r--r-- usr/share/applications/dotdata.desktop
-rw-r--r-- usr/share/doc/dotdata/changelog.gz
-rw-r--r-- usr/share/doc/dotdata/copyright
-rw-r--r-- usr/share/icons/hicolor/32x32/apps/dotdata.png
-rw-r--r-- usr/share/icons/hicolor/64x64/apps/dotdata.png
-rw-r--r-- usr/share/icons/hicolor/scalable/apps/dotdata.svg
-rw-r--r-- usr/share/man/man1/dotdata.1.gz
-rw-r--r-- usr/share/metainfo/io.github.dotdata.dotdata.metainfo.xml'
metainfo=usr/share/metainfo/io.github.dotdata.dotdata.metainfo.xml

same_files() { # WHAT LIST
    [ "$2" = "$expected" ] || fail "$1 differs from the expected file list:
$(diff <(echo "$expected") <(echo "$2"))"
}

# Without a display the program must say so in one line of its own and exit 1; a
# missing library would end it in the loader instead (status 127).
refuses_headless() { # PROGRAM
    local status=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" >"$work/run.log" 2>&1 </dev/null || status=$?
    [ "$status" -eq 1 ] && [ "$(wc -l <"$work/run.log")" -eq 1 ] && grep -q '^dotdata: ' "$work/run.log" ||
        fail "$1 without a display ended with status $status, saying: $(cat "$work/run.log")"
}

passes() { # COMMAND...: runs a validator, failing with its output when it fails
    "$@" >"$work/check.log" 2>&1 || fail "$* failed:
$(cat "$work/check.log")"
}

case $mode in
install)
    root=$work/root
    DESTDIR=$root "$tool" --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
        fail "cmake --install failed: $(cat "$work/install.log")"
    same_files "the installed tree" "$(cd "$root" && find . ! -type d -printf '%M %P\n' | sort -k2)"

    # desktop-file-validate exits 0 on warnings: any output fails. Its hints are left
    # out, since Graphics and Development are both main categories on purpose.
    out=$(desktop-file-validate --no-hints "$root/usr/share/applications/dotdata.desktop" 2>&1) && [ -z "$out" ] ||
        fail "desktop-file-validate: $out"
    # --strict fails on warnings and infos too, not only on errors.
    passes appstreamcli validate --no-net --strict "$root/$metainfo"
    # The tree check also finds the desktop entry the metainfo launches.
    passes appstreamcli validate-tree --no-net --strict "$root"

    for size in 32 64; do
        png=$root/usr/share/icons/hicolor/${size}x${size}/apps/dotdata.png
        file -b "$png" | grep -q "^PNG image data, $size x $size," || fail "$png is $(file -b "$png")"
    done
    refuses_headless "$root/usr/bin/dotdata"
    echo "package: installed files as expected, validators passed, the installed program starts"
    ;;
deb)
    "$tool" --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
        fail "cpack failed: $(cat "$work/cpack.log")"
    debs=("$work"/*.deb)
    deb=${debs[0]}
    version=$(dpkg-deb -f "$deb" Version)
    [ ${#debs[@]} -eq 1 ] && [ "${deb##*/}" = "dotdata_${version}_$(dpkg --print-architecture).deb" ] ||
        fail "cpack made ${debs[*]##*/}"
    same_files "$deb" "$(dpkg-deb -c "$deb" | awk '$NF !~ /\/$/ { sub(/^\.\//, "", $NF); print $1, $NF }' | sort -k2)"

    depends=$(dpkg-deb -f "$deb" Depends)
    for name in libqt6widgets6 libc6 fonts-ipafont-gothic; do
        [[ ", $depends," =~ ", $name"[\ ,] ]] || fail "Depends does not name $name: $depends"
    done

    dpkg-deb -x "$deb" "$work/root"
    grep -q "<release version=\"$version\"" "$work/root/$metainfo" ||
        fail "the metainfo has no release $version"
    zcat "$work/root/usr/share/doc/dotdata/changelog.gz" | head -n 1 | grep -qF "dotdata ($version) " ||
        fail "the changelog does not begin with version $version"
    # Debian's own checker; the maintainer's missing address is known (cmake/Packaging.cmake).
    passes lintian --fail-on error,warning --suppress-tags malformed-contact "$deb"
    refuses_headless "$work/root/usr/bin/dotdata"
    # Only a simulation: it resolves the dependencies against this machine's packages.
    passes apt-get install --simulate "$deb"
    echo "package: ${deb##*/} holds the expected files; Depends: $depends"
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
