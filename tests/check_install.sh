#!/usr/bin/env bash
# Installs the build into a scratch folder and checks that everything a desktop needs
# arrived: the program, its menu entry, its icon and its manual page.
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

cmake --install "$build" --prefix "$stage/usr" >/dev/null

fail() { echo "install check: $*" >&2; exit 1; }
[ -x "$stage/usr/bin/voroquarn" ] || fail "no program in bin"
[ "$("$stage/usr/bin/voroquarn" --version)" = "voroquarn 0.00.0002" ] || fail "installed program does not run"
desktop="$stage/usr/share/applications/voroquarn.desktop"
[ -f "$desktop" ] || fail "no desktop entry"
grep -qx 'Exec=voroquarn' "$desktop" || fail "desktop entry does not start voroquarn"
grep -qx 'Icon=voroquarn' "$desktop" || fail "desktop entry names no icon"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop entry does not validate"
fi
icon="$stage/usr/share/icons/hicolor/256x256/apps/voroquarn.png"
[ -f "$icon" ] || fail "no icon"
# A PNG signature and a 256 x 256 header.
[ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "icon is no PNG"
[ "$(dd if="$icon" bs=1 skip=16 count=8 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "0000010000000100" ] ||
    fail "icon is not 256 x 256"
[ -f "$stage/usr/share/man/man1/voroquarn.1" ] || fail "no manual page"
saver="$stage/usr/share/xscreensaver/config/voroquarn.xml"
[ -f "$saver" ] || fail "no xscreensaver settings"
grep -q '<command arg="--root"/>' "$saver" || fail "xscreensaver settings do not draw on the root window"
if command -v xmllint >/dev/null; then
    xmllint --noout "$saver" || fail "xscreensaver settings are no well-formed XML"
fi
echo "install check: program, desktop entry, icon, manual page and xscreensaver settings are in place"
