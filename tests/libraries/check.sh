#!/usr/bin/env bash
# Joins real libraries from the system's packages with -kui -sg and holds the result to the
# compiler: the program built from the joined text prints what the one built from the original
# files prints, and an error put into a library header is reported at the same file and line,
# the file named alike.
#
# usage: check.sh <tool> <c++ compiler> <work folder>
# Skipped where a library is not installed, unless QUILLFOLD_REQUIRE_LIBRARIES is set.
set -euo pipefail
tool=$1 cxx=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)

missing=()
for need in /usr/include/nlohmann/json.hpp:nlohmann-json3-dev \
    /usr/src/googletest/googletest/src/gtest-all.cc:googletest \
    /usr/include/fmt/format.h:libfmt-dev /usr/include/eigen3/Eigen/Dense:libeigen3-dev; do
    [ -f "${need%%:*}" ] || missing+=("${need#*:}")
done
if [ ${#missing[@]} -ne 0 ]; then
    if [ -n "${QUILLFOLD_REQUIRE_LIBRARIES:-}" ]; then
        echo "not installed: ${missing[*]}" >&2
        exit 1
    fi
    echo "libraries test skipped: not installed: ${missing[*]}"
    exit 0
fi

# "file:line" of the first error in a compiler's diagnostics, the file as the compiler names it.
first_error() {
    sed -n -E 's|^([^:]+):([0-9]+):([0-9]+:)? (fatal )?error:.*|\1:\2|p' "$1" | head -n 1
}

# What a program prints, less the timings the test framework adds.
prints() {
    "./$1" | sed -E 's/ \([0-9]+ ms( total)?\)//'
}

# check <name> <program> <its other sources> <header for the error> <line it goes after> <folders>
# In <work>/<name>, which holds a copy of the folders and is the include path.
check() {
    local name=$1 program=$2 sources=($3) header=$4 anchor=$5
    shift 5
    mkdir -p "$work/$name" && cd "$work/$name"
    cp -r "$@" "$here/$program" .
    local flags=(-std=c++17 -pthread -I .) inputs=() input
    for input in "$program" "${sources[@]}"; do inputs+=(-i "$input"); done
    "$cxx" "${flags[@]}" "$program" "${sources[@]}" -o original
    "$tool" -kui -sg -I . "${inputs[@]}" -o joined.cpp
    "$cxx" "${flags[@]}" joined.cpp -o joined
    diff <(prints original) <(prints joined) ||
        { echo "$name: the joined program prints otherwise" >&2; return 1; }
    echo "$name: joined $(wc -c <joined.cpp) bytes with -kui -sg"

    sed -i "0,/$anchor/s//&\nint err_here = ;/" "$header"
    grep -q '^int err_here = ;$' "$header" || { echo "$name: no anchor in $header" >&2; return 1; }
    "$cxx" "${flags[@]}" -fsyntax-only "$program" "${sources[@]}" >original.err 2>&1 || true
    "$tool" -kui -sg -lnff -sif -I . "${inputs[@]}" -o joined_error.cpp
    "$cxx" "${flags[@]}" -fsyntax-only joined_error.cpp >joined.err 2>&1 || true
    local want got
    want=$(first_error original.err) got=$(first_error joined.err)
    [ -n "$want" ] && [ "$want" = "$got" ] ||
        { echo "$name: first error at '$want' in the original files, '$got' joined" >&2; return 1; }
}

# All at once: most of the time goes to the compiler.
rm -rf "$work" && mkdir -p "$work"
pids=()
start() {
    (check "$@") >"$work/$1.log" 2>&1 &
    pids+=($!)
}
start json json.cpp "" nlohmann/detail/value_t.hpp '^#include <string> \/\/ string$' \
    /usr/include/nlohmann
# A multi-file tree: the test framework's one source that includes all of its others.
start framework framework_test.cpp src/gtest-all.cc src/gtest-port.cc \
    '^#include "gtest\/internal\/gtest-port.h"$' /usr/src/googletest/googletest/src \
    /usr/src/googletest/googletest/include/gtest
# Headers that include each other, and plugin headers that read themselves a second time.
start fmt fmt.cpp "" fmt/format.h '^#include <cmath> .*' /usr/include/fmt
start eigen eigen.cpp "" Eigen/src/Core/Matrix.h '^namespace Eigen {$' /usr/include/eigen3/Eigen
failed=0
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
cat "$work"/*.log
exit $failed
