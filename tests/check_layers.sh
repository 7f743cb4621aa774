#!/usr/bin/env bash
# The folders of src/ are layers, each depending only on those below it, and the two at
# the bottom know nothing of Qt:
#   core < diagram < output < screen < app < icon     (icon, a build-time tool, may use any)
# Prints every include that breaks this and fails when there is one. An include counts in
# any spelling ("../screen/..", "core/../screen/..", <screen/..>, indented) from any file
# of a layer's folder and its subfolders. The build checks the same (cmake/Layers.cmake);
# this is the second guard, for a tree without a build.
set -euo pipefail
SRC=$(realpath "${1:-$(dirname "$0")/../src}")
LAYERS=(core diagram output screen app icon)
INCLUDE='^[[:space:]]*#[[:space:]]*include(_next)?[[:space:]]*[<"]([^>"]*)[>"]'
# Sets folder to the folder of src/ that a path lands in, following its ".." as the file
# system would (src/ holds no links); empty when it lands outside src/.
folder_of() {
    folder=
    local part parts=()
    local IFS=/
    for part in $1; do
        case $part in
            '' | .) ;;
            ..) [ ${#parts[@]} -eq 0 ] && return 0; unset 'parts[-1]' ;;
            *) parts+=("$part") ;;
        esac
    done
    if [ ${#parts[@]} -gt 1 ] && [ -d "$SRC/${parts[0]}" ]; then
        folder=${parts[0]}
    fi
}
status=0
for rank in "${!LAYERS[@]}"; do
    layer=${LAYERS[$rank]}
    allowed=" ${LAYERS[*]:0:$((rank + 1))} "
    [ -d "$SRC/$layer" ] || continue
    while IFS=: read -r file line text; do
        [[ $text =~ $INCLUDE ]] || continue
        included=${BASH_REMATCH[2]}
        beside=${file#"$SRC"/}
        # Where the include would land beside the file and under src/.
        for at in "${beside%/*}/$included" "$included"; do
            folder_of "$at"
            if [[ -n $folder && $allowed != *" $folder "* ]]; then
                echo "$file:$line: $layer includes $folder, a layer above it" >&2
                status=1
                break
            fi
        done
        if [ "$rank" -le 1 ] && [[ $included == Q* ]]; then
            echo "$file:$line: $layer is free of Qt, but includes $included" >&2
            status=1
        fi
    done < <(find "$SRC/$layer" -type f ! -name CMakeLists.txt -exec grep -HnE "$INCLUDE" {} + || true)
done
exit $status
