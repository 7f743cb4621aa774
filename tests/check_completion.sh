#!/usr/bin/env bash
# Every option that `voroquarn --help` lists is completed by bash, zsh and fish, and
# every extension that --output writes, so that the completion files cannot fall behind
# the program.
#
#   check_completion.sh PROGRAM COMPLETION-FOLDER
set -euo pipefail
program=$1
folder=$2

# The options' long names, from the help's left column: "  -h, --help", "  --seed <N>";
# one-letter forms have a long one beside them.
names=$("$program" --help | sed -n 's/^  \(-[^ ].*\)/\1/p' | sed 's/  .*//; s/ <[^>]*>//g' |
    tr ',' '\n' | sed 's/^ *-*//; s/=.*//' | grep -E '^[a-z][a-z0-9-]+$' | sort -u)
[ -n "$names" ] || { echo "completion check: no options found in --help" >&2; exit 1; }

# What each shell offers: bash its list of options, zsh its argument specifications,
# fish its complete commands.
bash_list=$(sed -n "/local options='/,/'\$/p" "$folder/voroquarn.bash")
zsh_specs=$(grep -E "^ +'" "$folder/_voroquarn")
missing=()
for name in $names; do
    grep -qE -- "(^|[^a-z0-9-])--$name([^a-z0-9-]|$)" <<<"$bash_list" || missing+=("bash: --$name")
    grep -qE -- "(^|[^a-z0-9-])--$name([^a-z0-9-]|$)" <<<"$zsh_specs" || missing+=("zsh: --$name")
    grep -qE -- "^complete -c voroquarn .*-l $name( |$)" "$folder/voroquarn.fish" || missing+=("fish: --$name")
done
# The extensions, from the error of one it does not write.
extensions=$({ "$program" --output x.bogus 2>&1 || true; } | sed -n 's/.*writes \(.*\) files.*/\1/p' | grep -oE '\.[a-z]+' | tr -d .)
[ -n "$extensions" ] || { echo "completion check: no extensions found in the error of --output" >&2; exit 1; }
for extension in $extensions; do
    for file in voroquarn.bash _voroquarn voroquarn.fish; do
        grep -q -- "$extension" "$folder/$file" || missing+=("$file: .$extension")
    done
done
if [ ${#missing[@]} -gt 0 ]; then
    printf 'completion check: not completed: %s\n' "${missing[@]}" >&2
    exit 1
fi
echo "completion check: bash, zsh and fish complete all $(wc -w <<<"$names") options of --help" \
    "and the extensions $(echo $extensions)"
