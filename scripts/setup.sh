#!/usr/bin/env bash
# Set up a Debian 12 machine for Quelto, build it, then run it or its tests.
#   scripts/setup.sh run    install what running needs, build the program only,
#                           start it on ~/quelto.mdb
#   scripts/setup.sh test   install everything, build everything (tests and
#                           benchmarks too), run the whole test suite
# Both can be run again: installed packages are not fetched again, and the
# build only redoes what changed.
set -euo pipefail
mode=${1:-run}
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUELTO_BUILD_DIR:-$here/build}

# What building and running the program needs.
run_packages=(
    build-essential cmake ninja-build
    qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools libqt6webenginecore6-bin qt6-charts-dev
    qt6-qpa-plugins qt6-image-formats-plugins libgl-dev
    libsqlite3-dev mdbtools-dev libcsv-dev libzip-dev libkainjow-mustache-dev libjpeg62-turbo-dev libgumbo-dev pkg-config
    fonts-liberation2 xvfb xauth
)
# What only the tests, benchmarks and fuzzing need.
test_packages=(
    clang libclang-rt-14-dev libbenchmark-dev
    sqlite3 poppler-utils mdbtools
    desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl libglib2.0-bin man-db
    python3-pyatspi at-spi2-core dbus-x11
    python3 openbox xdotool x11-apps x11-utils imagemagick
    chromium chromium-driver python3-selenium
)

case "$mode" in
run)
    packages=("${run_packages[@]}")
    build_options=(-DQUELTO_BUILD_TESTS=OFF -DQUELTO_BUILD_BENCHMARKS=OFF -DQUELTO_FUZZ=OFF)
    ;;
test)
    packages=("${run_packages[@]}" "${test_packages[@]}")
    build_options=(-DQUELTO_BUILD_TESTS=ON -DQUELTO_BUILD_BENCHMARKS=ON -DQUELTO_FUZZ=OFF)
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}"
fi

if command -v ccache >/dev/null; then
    build_options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${build_options[@]}"
cmake --build "$build" -j2

export QTWEBENGINE_DISABLE_SANDBOX=1
case "$mode" in
run)
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        exec xvfb-run -a "$build/src/app/quelto" --database "$HOME/quelto.mdb"
    fi
    exec "$build/src/app/quelto" --database "$HOME/quelto.mdb"
    ;;
test)
    cd "$build"
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 -LE 'fuzz|slow' --timeout 600
    ;;
esac
