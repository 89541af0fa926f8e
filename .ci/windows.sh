#!/usr/bin/env bash
# Cross-builds Quillfold for 64-bit Windows with MinGW-w64 and runs the test suite under Wine.
# Fails when the build or any test fails. Installs the tools with apt-get where they are missing.
#
#   bash .ci/windows.sh            (build directory: build-windows, or $QUILLFOLD_WINDOWS_BUILD_DIR)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUILLFOLD_WINDOWS_BUILD_DIR:-$root/build-windows}
gtest_source=/usr/src/googletest

find_wine() {
    local candidate
    for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
        if [ -n "$candidate" ] && [ -x "$candidate" ]; then
            echo "$candidate"
            return 0
        fi
    done
    return 1
}

missing=()
command -v x86_64-w64-mingw32-g++ > /dev/null || missing+=(g++-mingw-w64-x86-64)
[ -f "$gtest_source/CMakeLists.txt" ] || missing+=(googletest)
find_wine > /dev/null || missing+=(wine64)
if [ ${#missing[@]} -gt 0 ]; then
    if ! command -v apt-get > /dev/null; then
        echo "windows.sh: missing ${missing[*]} and no apt-get to install them" >&2
        exit 1
    fi
    sudo=()
    if [ "$(id -u)" != 0 ]; then
        sudo=(sudo)
    fi
    echo "windows.sh: installing ${missing[*]}"
    start=$SECONDS
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
    echo "windows.sh: installed in $((SECONDS - start)) s"
fi
wine=$(find_wine)

cmake -S "$root" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" \
    -DQUILLFOLD_GTEST_SOURCE_DIR="$gtest_source" \
    -DQUILLFOLD_WERROR=ON
start=$SECONDS
cmake --build "$build" -j "$(nproc 2> /dev/null || echo 2)"
echo "windows.sh: built in $((SECONDS - start)) s"

# A fresh prefix every run, so nothing left from an earlier run or another user changes the result.
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/quillfold-wine.XXXXXX")
export WINEPREFIX
export WINEDEBUG=-all
cleanup() {
    local server
    server=$(dirname "$wine")/wineserver
    if [ -x "$server" ]; then
        "$server" -k 2> /dev/null || true
    fi
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# The first start builds the prefix, which takes some seconds; the whole suite takes well under a
# minute, so a run that is still going after five has hung.
echo "windows.sh: running the tests under $wine"
start=$SECONDS
# The prefix is made by a first start of its own: right after Wine is installed, the very first
# start in a new prefix can fail to load the system libraries.
timeout 120 "$wine" cmd /c exit 0 > /dev/null 2>&1 || true
cd "$build/tests"
timeout --kill-after=10 300 "$wine" ./quillfold_tests.exe
echo "windows.sh: tests passed in $((SECONDS - start)) s"
