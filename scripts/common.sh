# Shared by the run and test scripts: installing what is missing, and building.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

# The Debian packages the program needs to build and run: the compiler and build tools,
# Qt, libpng and xcb, a font for the weight labels, and Qt's Wayland plugin for Wayland desktops.
BUILD_PACKAGES=(g++ cmake make qt6-base-dev libpng-dev libxcb1-dev fonts-dejavu-core qt6-wayland)
# What the tests need besides: test and benchmark libraries (the window tests and
# benchmarks talk to the X server through xcb), a virtual X server with a window
# manager and its tools, another X client to draw into, the xscreensaver daemon, clang
# for the fuzzers (pkg-config finds Qt for the one that draws), the desktop-entry
# validator, and an SVG renderer, a PDF rasteriser and an XML checker for the vector
# output.
TEST_PACKAGES=(libgtest-dev libbenchmark-dev xvfb xauth openbox wmctrl xdotool x11-utils
               x11-apps xscreensaver clang libclang-rt-14-dev pkg-config desktop-file-utils libxcb1-dev
               libxcb-damage0-dev
               librsvg2-bin poppler-utils libxml2-utils)

# Installs the packages that are not installed yet; quick when all are there.
install_missing() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}" >&2
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# configure DIR [CMAKE OPTIONS...]: configures the build folder DIR below the project.
configure() {
    local dir=$1
    shift
    cmake -S "$ROOT" -B "$ROOT/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}
