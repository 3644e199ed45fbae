#!/usr/bin/env bash
# Set up a Debian 12 machine for Quelto, build it, then run it or its tests.
#   scripts/setup.sh run    install, build, start the program on ~/quelto.mdb
#   scripts/setup.sh test   install, build, run the whole test suite
set -euo pipefail
mode=${1:-run}
here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUELTO_BUILD_DIR:-$here/build}

packages=(
    build-essential cmake ninja-build clang libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools libqt6webenginecore6-bin libgl-dev
    libsqlite3-dev sqlite3 libbenchmark-dev mdbtools mdbtools-dev libcsv-dev
    fonts-liberation2 poppler-utils xvfb xauth
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}"
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
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
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
