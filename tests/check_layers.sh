#!/usr/bin/env bash
# The folders of src/ are layers, each depending only on those below it, and the two at
# the bottom know nothing of Qt:
#   core < diagram < output < screen < app     (icon, a build-time tool, may use any)
# Prints every include that breaks this and fails when there is one.
set -euo pipefail
SRC=${1:-$(dirname "$0")/../src}
LAYERS=(core diagram output screen app)
status=0
for rank in "${!LAYERS[@]}"; do
    layer=${LAYERS[$rank]}
    allowed=("${LAYERS[@]:0:$((rank + 1))}")
    while IFS=: read -r file line text; do
        included=$(sed -n 's/^#include "\([a-z]*\)\/.*/\1/p' <<<"$text")
        if [ -n "$included" ] && [[ " ${allowed[*]} " != *" $included "* ]]; then
            echo "$file:$line: $layer includes $included, a layer above it" >&2
            status=1
        fi
        if [ "$rank" -le 1 ] && grep -q '^#include <Q' <<<"$text"; then
            echo "$file:$line: $layer is free of Qt, but includes ${text#\#include }" >&2
            status=1
        fi
    done < <(grep -Hn '^#include' "$SRC/$layer"/*.h "$SRC/$layer"/*.cpp 2>/dev/null || true)
done
exit $status
