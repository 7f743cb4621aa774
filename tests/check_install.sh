#!/usr/bin/env bash
# Installs the build into a scratch folder and checks that everything a desktop needs
# arrived: the program, its menu entry, its icons, its software-centre metadata, its
# manual page, its licence, its xscreensaver settings and its shell completion.
#
#   check_install.sh BUILD-FOLDER VERSION-TEXT
set -euo pipefail
build=$1
version=$2
# The validators and renderers that scripts/test installs; without them the check is
# skipped rather than failed, as on a packager's machine.
for tool in desktop-file-validate appstreamcli mandoc xmllint rsvg-convert; do
    command -v "$tool" >/dev/null || { echo "install check: skipped, no $tool"; exit 77; }
done
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "install check: $*" >&2; exit 1; }

# The program's own target, all that scripts/run builds, builds all that the install
# copies: the install never stops half-way for a missing file.
rm -f "$build/icons/scalable.svg"
cmake --build "$build" --target voroquarn >/dev/null
[ -f "$build/icons/scalable.svg" ] || fail "building the program leaves out the scalable icon"
cmake --install "$build" --prefix "$stage/usr" >/dev/null
[ -x "$stage/usr/bin/voroquarn" ] || fail "no program in bin"
[ "$("$stage/usr/bin/voroquarn" --version | head -n 1)" = "voroquarn $version" ] ||
    fail "installed program does not give its version"

desktop="$stage/usr/share/applications/voroquarn.desktop"
[ -f "$desktop" ] || fail "no desktop entry"
grep -qx 'Exec=voroquarn' "$desktop" || fail "desktop entry does not start voroquarn"
grep -qx 'Icon=voroquarn' "$desktop" || fail "desktop entry names no icon"
grep -qx 'StartupNotify=true' "$desktop" || fail "desktop entry does not ask for startup notification"
grep -qx 'Exec=voroquarn --saver' "$desktop" || fail "desktop entry has no action for the full-screen saver"
# Hints count too: a clean entry gives no output at all.
complaints=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop entry does not validate: $complaints"
[ -z "$complaints" ] || fail "desktop-file-validate: $complaints"

# An icon for every size a desktop asks for: a PNG whose header gives that size.
for size in 16 24 32 48 64 128 256; do
    icon="$stage/usr/share/icons/hicolor/${size}x${size}/apps/voroquarn.png"
    [ -f "$icon" ] || fail "no $size px icon"
    [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "$size px icon is no PNG"
    printf -v header '%08x%08x' "$size" "$size"
    [ "$(dd if="$icon" bs=1 skip=16 count=8 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "$header" ] ||
        fail "$size px icon is not $size x $size"
    # Colour type 6, colour with alpha: the tile's shape shows through transparency.
    [ "$(dd if="$icon" bs=1 skip=25 count=1 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "06" ] ||
        fail "$size px icon has no transparency"
done

# The scalable icon: well-formed SVG that a real renderer draws at a desktop's size.
svg="$stage/usr/share/icons/hicolor/scalable/apps/voroquarn.svg"
[ -f "$svg" ] || fail "no scalable icon"
xmllint --noout "$svg" 2>/dev/null || fail "scalable icon is no well-formed XML"
rsvg-convert -w 32 -h 32 -o "$stage/icon.png" "$svg" || fail "rsvg-convert cannot draw the scalable icon"
[ "$(dd if="$stage/icon.png" bs=1 skip=16 count=8 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "0000002000000020" ] ||
    fail "scalable icon does not draw at 32 x 32"

[ -f "$stage/usr/share/man/man1/voroquarn.1" ] || fail "no manual page"
grep -q '^MIT License' "$stage/usr/share/doc/voroquarn/LICENSE" 2>/dev/null || fail "no licence"
saver="$stage/usr/share/xscreensaver/config/voroquarn.xml"
[ -f "$saver" ] || fail "no xscreensaver settings"
grep -q '<command arg="--root"/>' "$saver" || fail "xscreensaver settings do not draw on the root window"
xmllint --noout "$saver" || fail "xscreensaver settings are no well-formed XML"
# What software centres read: the metadata, clean to the pedantic validator, which also
# checks it against the installed desktop entry and icons. Its screenshots are web
# addresses, which a test does not fetch.
metainfo=("$stage"/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "no AppStream metadata in share/metainfo"
complaints=$(appstreamcli validate-tree --pedantic --no-net "$stage/usr" 2>&1) ||
    fail "appstreamcli validate-tree: $complaints"
grep -q '<launchable type="desktop-id">voroquarn.desktop</launchable>' "${metainfo[0]}" ||
    fail "AppStream metadata does not launch the desktop entry"

# The manual page: mandoc parses it without a warning.
complaints=$(mandoc -Tlint -W warning "$stage/usr/share/man/man1/voroquarn.1" 2>&1) ||
    fail "mandoc -Tlint: $complaints"

for completion in bash-completion/completions/voroquarn zsh/site-functions/_voroquarn \
    fish/vendor_completions.d/voroquarn.fish; do
    [ -f "$stage/usr/share/$completion" ] || fail "no shell completion share/$completion"
done
echo "install check: program, desktop entry, icons, AppStream metadata, manual page, licence," \
    "xscreensaver settings and shell completion are in place"
