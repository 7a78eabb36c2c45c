#!/usr/bin/env bash
# Installs into a temporary DESTDIR and checks what desktops, software centres
# and man read, as they read it, then builds the Debian package.
# Usage: install_test.sh BUILD_FOLDER
set -euo pipefail
build=$1
id=org.wirelook.Wirelook
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
share=$stage/usr/share

entry=$share/applications/$id.desktop
report=$(desktop-file-validate "$entry" 2>&1) || true
[ -z "$report" ] || fail "desktop entry: $report"
grep -qx "Icon=$id" "$entry" || fail "the desktop entry names another icon"
grep -qx "GenericName=Serial Port Terminal" "$entry" || fail "generic name"
grep -qx "Terminal=false" "$entry" || fail "the menu entry would start a terminal"

metainfo=$share/metainfo/$id.metainfo.xml
report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "metainfo: $report"
grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo has another id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo launches another desktop entry"

[ -s "$share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"
# A PNG: its signature, then the IHDR chunk with the width and height.
bytes() { od -An -tx1 -j "$2" -N "$3" "$1" | tr -d ' \n'; }
for size in 16 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x$size/apps/$id.png
    if [ ! -f "$png" ]; then
        fail "no $size pixel icon"
    elif [ "$(bytes "$png" 0 8)$(bytes "$png" 12 4)" != 89504e470d0a1a0a49484452 ]; then
        fail "the $size pixel icon is not a PNG image"
    elif [ $((16#$(bytes "$png" 16 4))) -ne "$size" ] || [ $((16#$(bytes "$png" 20 4))) -ne "$size" ]; then
        fail "the $size pixel icon is $((16#$(bytes "$png" 16 4)))x$((16#$(bytes "$png" 20 4)))"
    fi
done

for page in wirelook wirelook-devsim; do
    file=$share/man/man1/$page.1.gz
    text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>"$stage/warnings") ||
        fail "man $page"
    [ ! -s "$stage/warnings" ] || fail "man $page: $(cat "$stage/warnings")"
    for section in SYNOPSIS OPTIONS FILES "EXIT STATUS" EXAMPLES; do
        grep -qx "$section" <<<"$text" || fail "man $page has no $section"
    done
done

# The installed program answers without a display.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$stage/usr/bin/wirelook" --version) ||
    fail "wirelook --version"
[ "$version" = "Wirelook 1.3.00" ] || fail "wirelook --version printed: $version"
grep -q '<release version="1.3.00" date=' "$metainfo" || fail "the metainfo names another release"

# The package depends on the libraries it links and the fonts it shows.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$stage/package" >"$stage/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$stage/cpack.log")"
package=("$stage"/package/wirelook_*.deb)
depends=$(dpkg-deb -f "${package[0]}" Depends)
for dependency in libqt6serialport6 libqt6widgets6 fonts-dejavu-core fonts-liberation2; do
    grep -q "$dependency" <<<"$depends" || fail "the package does not depend on $dependency: $depends"
done
contents=$(dpkg-deb -c "${package[0]}")
grep -q "./usr/share/applications/$id.desktop$" <<<"$contents" || fail "the package has no desktop entry"

echo "$failures failed"
[ "$failures" -eq 0 ]
