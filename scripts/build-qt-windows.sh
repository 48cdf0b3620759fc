#!/usr/bin/env bash
# Builds Qt 6's base module (Core, Gui, Widgets, Test, the Windows and offscreen platform plugins)
# for 64-bit Windows from Debian's qt6-base source with the mingw-w64 posix toolchain, as static
# libraries, and prints the folder it is installed in. The host's Qt 6 of the same version serves
# as the host tools (moc, rcc, uic).
#
# The build takes about 40 minutes on two cores, so it is kept outside the clone, in a folder keyed
# by Qt's version and these options: a second run on the same machine reuses it.
#
#     scripts/build-qt-windows.sh          builds when needed, then prints the install folder
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/deps.sh windows >&2

version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
options=(
    -DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF
    -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF
    -DFEATURE_sql_sqlite=OFF -DFEATURE_openssl=OFF -DFEATURE_zstd=OFF
)
# The cache key also covers the compiler, so a new mingw-w64 builds Qt again.
compiler=$(x86_64-w64-mingw32-g++-posix -dumpfullversion)
key=$( { echo "$version"; echo "$compiler"; printf '%s\n' "${options[@]}"; } | sha256sum | cut -c1-12)
cache=${TRANSVO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/transvo}
install=$cache/qt6-windows-$key
mkdir -p "$cache"
# One build per key at a time: a second caller waits for the first and then takes its result.
exec 9>"$cache/qt6-windows-$key.lock"
if ! flock -n 9; then
    echo "== Qt for Windows is being built by another run; waiting for it" >&2
    flock 9
fi
if [ -f "$install/.complete" ]; then
    echo "$install"
    exit 0
fi

sources=$cache/src
mkdir -p "$sources"
source=$(find "$sources" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | sort | tail -n 1)
if [ -z "$source" ]; then
    (cd "$sources" && apt-get source -qq qt6-base >/dev/null 2>&1) || {
        echo "apt-get source qt6-base failed" >&2
        exit 1
    }
    source=$(find "$sources" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | sort | tail -n 1)
fi

build=$cache/build-qt6-windows-$key
log=$cache/build-qt6-windows-$key.log
echo "== Qt $version for Windows (about 40 minutes on two cores; log: $log)" >&2
rm -rf "$build" "$install"
started=$SECONDS
{
    nice cmake -S "$source" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
        -DCMAKE_INSTALL_PREFIX="$install" "${options[@]}"
    nice cmake --build "$build" -j "$(nproc)"
    cmake --install "$build"
} >"$log" 2>&1 || {
    tail -n 40 "$log" >&2
    echo "Qt for Windows failed to build; see $log" >&2
    exit 1
}
rm -rf "$build"
touch "$install/.complete"
echo "== Qt for Windows built in $((SECONDS - started)) s" >&2
echo "$install"
