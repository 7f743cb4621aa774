#!/usr/bin/env bash
# The README's xscreensaver recipe, run as written on a ~/.xscreensaver that
# xscreensaver-settings 6.06 wrote (mode one, Marbling selected), while the real daemon
# runs with it: afterwards voroquarn is the selected program, every other program keeps
# its place, and the daemon, told as the README tells it, shows voroquarn, and again on
# its next activation. A stand-in on the daemon's PATH notes each start of voroquarn.
#
#   check_saver_recipe.sh README SETTINGS-FILE
set -euo pipefail
readme=$1
settings=$2
home=$(mktemp -d)
daemon=""
server=""
cleanup() {
    [ -z "$daemon" ] || { DISPLAY=$display xscreensaver-command -exit >/dev/null 2>&1 || true; wait "$daemon" || true; }
    [ -z "$server" ] || { kill "$server"; wait "$server" || true; }
    rm -rf "$home"
}
trap cleanup EXIT
fail() { echo "saver recipe: $*" >&2; exit 1; }
for tool in Xvfb xscreensaver xscreensaver-command; do
    command -v "$tool" >/dev/null || { echo "saver recipe: skipped, no $tool"; exit 77; }
done

# The recipe: the README's sh block under "Screen saver" that changes ~/.xscreensaver;
# its xscreensaver-command lines tell the daemon.
recipe=$(awk '/^## /{on=/^## Screen saver/} on&&/^```sh$/{block=1;text="";next}
    block&&/^```$/{if(text~/\.xscreensaver/){printf "%s",text;exit} block=0;next} block{text=text $0 "\n"}' "$readme")
[ -n "$recipe" ] || fail "no recipe for ~/.xscreensaver under 'Screen saver' in $readme"
edit=$(grep -v '^xscreensaver-command' <<<"$recipe")
tell=$(grep '^xscreensaver-command' <<<"$recipe") || fail "the recipe does not tell the daemon"

# The programs as xscreensaver numbers them from 0, without the marks for disabled and
# OpenGL ones; a setting's value.
programs() {
    sed -n '/^programs:/,/^$/p' "$1" | sed '1d;/^$/d' |
        sed 's/\\n\\$//; s/^-\{0,1\}[[:space:]]*\(GL:\)\{0,1\}[[:space:]]*//; s/[[:space:]]*$//'
}
value() { sed -n "s/^$2:[[:space:]]*//p" "$1"; }

# The daemon runs as nobody under root, as it refuses to run its programs as root, on an
# X server of the test's own that lets every user connect.
cp "$settings" "$home/.xscreensaver"
mkdir "$home/bin"
printf '#!/bin/sh\necho "$$ $*" >>"$HOME/started"\nexec sleep 600\n' >"$home/bin/voroquarn"
chmod 777 "$home" "$home/bin" "$home/bin/voroquarn"
chmod 666 "$home/.xscreensaver"
Xvfb -displayfd 3 -ac -nolisten tcp -screen 0 640x480x24 3>"$home/display" 2>/dev/null &
server=$!
for _ in $(seq 100); do [ -s "$home/display" ] && break; sleep 0.1; done
display=":$(cat "$home/display")"
[ "$display" != ":" ] || fail "Xvfb did not start"
as_user=()
[ "$(id -u)" -ne 0 ] || as_user=(runuser -u nobody --)
# Now and then, under the parallel tests, a daemon never answers, with nothing in its log:
# it gets 20 s, and three tries.
answers() { DISPLAY=$display xscreensaver-command -version >/dev/null 2>&1; }
for try in 1 2 3; do
    "${as_user[@]}" env HOME="$home" PATH="$home/bin:$PATH" DISPLAY="$display" xscreensaver -no-splash \
        >>"$home/daemon.log" 2>&1 &
    daemon=$!
    for _ in $(seq 200); do answers && break; sleep 0.1; done
    answers && break
    kill "$daemon" 2>/dev/null || true
    wait "$daemon" || true
    daemon=""
    echo "saver recipe: the daemon did not answer in 20 s (try $try)" >&2
done
[ -n "$daemon" ] || fail "the daemon does not answer: $(cat "$home/daemon.log")"
sleep 1  # the daemon knows a changed file by its time stamp, to the second

before=$(programs "$home/.xscreensaver")
HOME=$home bash -euo pipefail -c "$edit" || fail "the recipe's edit of ~/.xscreensaver failed"
after=$(programs "$home/.xscreensaver")
[ "$(value "$home/.xscreensaver" mode)" = one ] || fail "mode is not 'one' but '$(value "$home/.xscreensaver" mode)'"
selected=$(value "$home/.xscreensaver" selected)
[ "$(sed -n "$((selected + 1))p" <<<"$after")" = "voroquarn --root" ] ||
    fail "selected: $selected is '$(sed -n "$((selected + 1))p" <<<"$after")', not voroquarn --root"
[ "$(sed "$((selected + 1))d" <<<"$after")" = "$before" ] || fail "the other programs moved or changed"

# Shown now, and on the next activation as well, once the daemon has ended the first.
starts() { cat "$home/started" 2>/dev/null | wc -l; }
wait_for_start() {
    for _ in $(seq 600); do [ "$(starts)" -ge "$1" ] && return 0; sleep 0.1; done
    fail "$2: $(cat "$home/daemon.log")"
}
DISPLAY=$display bash -euo pipefail -c "$tell" >/dev/null || fail "the recipe's '$tell' failed"
wait_for_start 1 "the daemon did not start voroquarn"
DISPLAY=$display xscreensaver-command -deactivate >/dev/null || fail "the daemon does not deactivate"
first=$(head -n 1 "$home/started" | cut -d ' ' -f 1)
for _ in $(seq 200); do kill -0 "$first" 2>/dev/null || break; sleep 0.1; done
# A request that reaches the daemon while it still unblanks from the first is now and then
# lost, or leaves it blanked without a program: then it is deactivated and activated
# again, every 10 s, up to six times.
for try in 1 2 3 4 5 6; do
    if [ "$try" -gt 1 ]; then
        echo "saver recipe: no start 10 s after activation $((try - 1)); again" >&2
        DISPLAY=$display xscreensaver-command -deactivate >/dev/null 2>&1 || true
        sleep 1
    fi
    DISPLAY=$display xscreensaver-command -activate >>"$home/daemon.log" 2>&1 ||
        echo "saver recipe: activation $try refused" >&2
    for _ in $(seq 100); do [ "$(starts)" -ge 2 ] && break; sleep 0.1; done
    [ "$(starts)" -ge 2 ] && break
done
[ "$(starts)" -ge 2 ] || fail "the next activation did not start voroquarn: $(cat "$home/daemon.log")"
[ "$(cut -d ' ' -f 2- "$home/started" | sort -u)" = "--root" ] ||
    fail "voroquarn was started as '$(cut -d ' ' -f 2- "$home/started" | sort -u | tr '\n' ' ')'"
echo "saver recipe: voroquarn is selected, the other $(wc -l <<<"$before") programs keep their places," \
    "and the daemon shows it"
