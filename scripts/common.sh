# Shared by the run and test scripts: installing what is missing, and building.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

# The Debian packages the program needs to build and run: the compiler and build tools,
# Qt, libpng and xcb, a font for the weight labels, and Qt's Wayland plugin for Wayland desktops.
BUILD_PACKAGES=(g++ cmake make qt6-base-dev libpng-dev libxcb1-dev fonts-dejavu-core qt6-wayland)
# What the tests need besides: test and benchmark libraries (the window tests and
# benchmarks talk to the X server through xcb), a virtual X server with a window
# manager and its tools, another X client to draw into, the xscreensaver daemon, a
# headless Wayland compositor with its screenshot tool, clang
# for the fuzzers (pkg-config finds Qt for the one that draws), the validators of the
# desktop entry, the software-centre metadata and the manual page, an SVG renderer,
# a PDF rasteriser and an XML checker for the vector output, and GDAL and shapely, which
# read the regions as data.
TEST_PACKAGES=(libgtest-dev libbenchmark-dev xvfb xauth openbox wmctrl xdotool x11-utils
               x11-apps xscreensaver weston clang libclang-rt-14-dev pkg-config desktop-file-utils libxcb1-dev
               libxcb-damage0-dev appstream mandoc
               librsvg2-bin poppler-utils libxml2-utils gdal-bin python3-shapely)
# What the benchmarks need besides the build: Google Benchmark, X and xcb for the probes,
# a virtual X server with a window manager and its tool, Python for the tables, git for
# the earlier program that bench/output-run builds from the history and ImageMagick to
# compare its pictures, and uptime for the load.
BENCH_PACKAGES=(libbenchmark-dev libx11-dev libxcb-damage0-dev xvfb xauth openbox wmctrl python3 git
                procps imagemagick)
# What the pictures in docs/ need besides the build: matplotlib, which draws the regions
# from their GeoJSON (scripts/regions-picture).
DOCS_PACKAGES=(python3-matplotlib)

# Installs the packages that are not installed yet; quick when all are there. apt-get
# shows its progress on standard error, which keeps standard output for the program.
install_missing() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing ${#missing[*]} packages and what they need, which on a fresh Debian 12" \
        "takes minutes; apt-get shows how far it is: ${missing[*]}" >&2
    local sudo=() quiet=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    # A log gets apt's lines without the progress bars that only a terminal can show.
    [ -t 2 ] || quiet=(-q)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${quiet[@]}" \
        --no-install-recommends "${missing[@]}" >&2
}

# configure DIR [CMAKE OPTIONS...]: configures the build folder DIR below the project.
configure() {
    local dir=$1
    shift
    cmake -S "$ROOT" -B "$ROOT/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}
