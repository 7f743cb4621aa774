#!/usr/bin/env bash
# The regions as data read in the tools of the field: GDAL reads the CSV and the GeoJSON
# and converts the GeoJSON, and shapely finds in the GeoJSON the CSV's areas, within
# what the polylines cut off the arcs, its rings turned as the man page says, and its
# properties the CSV's rows.
#
#   check_regions.sh PROGRAM
set -euo pipefail
program=$1
command -v ogr2ogr >/dev/null && command -v ogrinfo >/dev/null || { echo "regions check: skipped, no GDAL"; exit 77; }
python=
for candidate in python3 /usr/bin/python3; do
    if "$candidate" -c 'import shapely' 2>/dev/null; then
        python=$candidate
        break
    fi
done
[ -n "$python" ] || { echo "regions check: skipped, no shapely"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "regions check: $*" >&2; exit 1; }
"$program" --count 400 --seed 5 --size 400x300 --print-sites --output "$work/r.csv" >"$work/sites.txt"
"$program" --sites "$work/sites.txt" --size 400x300 --output "$work/r.geojson"

for file in r.csv r.geojson; do
    summary=$(ogrinfo -ro -al -so "$work/$file" 2>&1) || fail "GDAL cannot read $file: $summary"
    grep -q "Feature Count: 400" <<<"$summary" || fail "GDAL does not find 400 sites in $file: $summary"
done
# A shape for every region with an area: sites placed beyond the picture have none.
shapes=$(ogrinfo -ro -al -geom=SUMMARY "$work/r.geojson" | grep -cE "^  (MULTI)?POLYGON : ") || true
[ "$shapes" -eq "$(awk -F, 'NR > 1 && $5 > 0' "$work/r.csv" | wc -l)" ] || fail "GDAL finds $shapes polygons in r.geojson"
ogr2ogr -f GPKG "$work/r.gpkg" "$work/r.geojson" || fail "ogr2ogr cannot convert r.geojson"
grep -q "Feature Count: 400" <<<"$(ogrinfo -ro -al -so "$work/r.gpkg")" || fail "the converted file lost sites"

"$python" - "$work" <<'PY' || fail "shapely disagrees with the CSV"
import csv, json, math, struct, sys
from shapely.geometry import shape

def single(text):
    """A weight as the program holds it, in single precision."""
    return struct.unpack("f", struct.pack("f", float(text)))[0]

work = sys.argv[1]
rows = list(csv.DictReader(open(f"{work}/r.csv")))
sites = [line.split() for line in open(f"{work}/sites.txt")]
features = json.load(open(f"{work}/r.geojson"))["features"]
assert len(rows) == len(sites) == len(features) == 400
assert math.isclose(sum(float(r["area"]) for r in rows), 400 * 300, rel_tol=1e-9)
for row, site, feature in zip(rows, sites, features):
    # Positions read back as the same double, weights as the same single.
    assert [float(row["x"]), float(row["y"]), single(row["weight"])] == [float(site[0]), float(site[1]), single(site[2])], (row, site)
    props = feature["properties"]
    assert props["site"] == int(row["site"]) and props["neighbours"] == row["neighbours"], (props, row)
    assert all(props[k] == float(row[k]) for k in ("x", "y", "weight", "area", "perimeter")), (props, row)
    area, perimeter = float(row["area"]), float(row["perimeter"])
    if feature["geometry"] is None:
        assert area <= 0.01 * perimeter, row
        continue
    region = shape(feature["geometry"])
    assert abs(region.area - area) <= 0.01 * perimeter, (row, region.area)
    for polygon in getattr(region, "geoms", [region]):
        # Positive signed area with y down is counter-clockwise as shapely, y up, sees it.
        assert polygon.exterior.is_ccw and not any(hole.is_ccw for hole in polygon.interiors), row
PY
