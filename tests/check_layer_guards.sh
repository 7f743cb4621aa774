#!/usr/bin/env bash
# Both guards of the layers pass on src/, and each fails on an include of a layer above in
# every spelling, from a header, a .hpp and a subfolder: the build's check
# (cmake/checkLayer.cmake, given the include roots the build gives diagram) and
# check_layers.sh.
#   check_layer_guards.sh CMAKE CHECK_LAYER_SCRIPT SRC
set -euo pipefail
CMAKE=$1 CHECK=$2 SRC=$3
HERE=$(cd "$(dirname "$0")" && pwd)
"$HERE/check_layers.sh" "$SRC"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -r "$SRC" "$scratch/src"
for layer in core diagram app; do
    mkdir -p "$scratch/layers/$layer"
done
ln -s "$scratch/src/core" "$scratch/layers/core/core"
ln -s "$scratch/src/core" "$scratch/layers/diagram/core"
ln -s "$scratch/src/diagram" "$scratch/layers/diagram/diagram"
# The app's root, which "../app/..." reaches from diagram's.
ln -s "$scratch/src/screen" "$scratch/layers/app/screen"
build_check() {
    "$CMAKE" -DSOURCES="$scratch/src" -DFOLDER=diagram "-DVISIBLE=core;diagram" \
        "-DROOTS=$scratch/layers/diagram;$scratch/layers/core" -DSTAMP="$scratch/stamp" -P "$CHECK" >/dev/null 2>&1
}
build_check || { echo "the build's check fails on src/ itself" >&2; exit 1; }

status=0
while IFS='|' read -r file include; do
    mkdir -p "$(dirname "$scratch/src/diagram/$file")"
    printf '#pragma once\n%s\n' "$include" >"$scratch/src/diagram/$file"
    for guard in build_check "$HERE/check_layers.sh $scratch/src"; do
        if $guard >/dev/null 2>&1; then
            echo "${guard%% *} lets src/diagram/$file say: $include" >&2
            status=1
        fi
    done
    rm "$scratch/src/diagram/$file"
done <<'TABLE'
Upward.h|#include "screen/ExploredSites.h"
Upward.h|#include "../screen/ExploredSites.h"
Upward.h|#include "core/../screen/ExploredSites.h"
Upward.h|#include <screen/ExploredSites.h>
Upward.h|  #  include "screen/ExploredSites.h"
Upward.h|#include "../app/screen/ExploredSites.h"
Upward.hpp|#include "screen/ExploredSites.h"
deeper/Upward.h|#include "../../screen/ExploredSites.h"
deeper/Upward.cpp|#include <output/PictureRaster.h>
TABLE
exit $status
