#!/usr/bin/env bash
# Joins real libraries from the system's packages with -kui -sg and holds the result to the
# compiler: each program built from the joined text prints what the program built from the
# original files prints, and an error put into one of a library's headers is reported at the
# same file and line in both.
#
# usage: check.sh <tool> <c++ compiler> <work folder>
# Skipped where a library is not installed, unless QUILLFOLD_REQUIRE_LIBRARIES is set;
# QUILLFOLD_LIBRARY_SIZES=1 also measures the joins without -sg.
set -euo pipefail
tool=$1
cxx=$2
work=$3
here=$(cd "$(dirname "$0")" && pwd)

missing=()
[ -f /usr/include/nlohmann/json.hpp ] || missing+=(nlohmann-json3-dev)
[ -f /usr/include/CLI/CLI.hpp ] || missing+=(libcli11-dev)
[ -f /usr/include/glm/glm.hpp ] || missing+=(libglm-dev)
[ -f /usr/src/googletest/googletest/src/gtest-all.cc ] || missing+=(googletest)
if [ ${#missing[@]} -ne 0 ]; then
    if [ -n "${QUILLFOLD_REQUIRE_LIBRARIES:-}" ]; then
        echo "libraries not installed: ${missing[*]}" >&2
        exit 1
    fi
    echo "libraries test skipped: not installed: ${missing[*]}"
    exit 0
fi

rm -rf "$work"
mkdir -p "$work"
failed=0

# "name:line" of the first error in a compiler's diagnostics.
first_error() {
    sed -n -E 's|^([^:]*/)?([^/:]+):([0-9]+):([0-9]+:)? (fatal )?error:.*|\2:\3|p' "$1" | head -n 1
}

bytes() {
    wc -c <"$1" | tr -d ' '
}

# check <name> <program> <header with the error> <line after which it goes> <folders...>
# The folders are copied into <work>/<name>, the program's folder, which is also its include
# path; the program is built with <name>_SOURCES beside it when that is set.
check() {
    local name=$1 program=$2 header=$3 anchor=$4
    shift 4
    local dir="$work/$name"
    mkdir -p "$dir"
    cp -r "$@" "$dir/"
    cp "$here/$program" "$dir/"
    cd "$dir"
    local extra=()
    [ "$name" = framework ] && extra=(-pthread)

    # The library's own sources, if any, are joined into one file too.
    local -n sources="${name}_sources"
    local joined_inputs=() input
    for input in $program "${sources[@]}"; do joined_inputs+=(-i "$input"); done

    "$cxx" -std=c++17 -I . "$program" "${sources[@]}" "${extra[@]}" -o original
    ./original | grep -v '^\[ *\(OK\|RUN\) ' >original.txt
    local start=$(date +%s%N)
    "$tool" -kui -sg -I . "${joined_inputs[@]}" -o joined.cpp
    local took=$((($(date +%s%N) - start) / 1000000))
    "$cxx" -std=c++17 -I . joined.cpp "${extra[@]}" -o joined
    ./joined | grep -v '^\[ *\(OK\|RUN\) ' >joined.txt
    if ! cmp -s original.txt joined.txt; then
        echo "$name: the joined program prints otherwise" >&2
        diff original.txt joined.txt >&2 || true
        failed=1
    fi
    echo "$name: joined $(bytes joined.cpp) bytes in $took ms with -kui -sg"
    # Without -sg the output runs to hundreds of megabytes: measured on request only.
    if [ -n "${QUILLFOLD_LIBRARY_SIZES:-}" ]; then
        start=$(date +%s%N)
        "$tool" -kui -I . "${joined_inputs[@]}" -o every_copy.cpp
        took=$((($(date +%s%N) - start) / 1000000))
        echo "$name: joined $(bytes every_copy.cpp) bytes in $took ms with -kui alone"
        rm every_copy.cpp
    fi

    # The error, after the anchor line of the header.
    sed -i "0,/$anchor/s//&\nint err_here = ;/" "$header"
    grep -q '^int err_here = ;$' "$header" || { echo "$name: no anchor in $header" >&2; exit 1; }
    "$cxx" -std=c++17 -fsyntax-only -I . "$program" "${sources[@]}" >original.err 2>&1 || true
    "$tool" -kui -sg -lnff -sif -I . "${joined_inputs[@]}" -o joined_error.cpp
    "$cxx" -std=c++17 -fsyntax-only joined_error.cpp >joined.err 2>&1 || true
    local want got
    want=$(first_error original.err)
    got=$(first_error joined.err)
    if [ -z "$want" ] || [ "$want" != "$got" ]; then
        echo "$name: first error at '$want' in the original files, '$got' joined" >&2
        failed=1
    fi
    cd - >/dev/null
}

json_sources=()
check json json.cpp nlohmann/detail/value_t.hpp '^#include <string> \/\/ string$' \
    /usr/include/nlohmann
cli_sources=()
check cli cli.cpp CLI/App.hpp '^#pragma once$' /usr/include/CLI
vectors_sources=()
check vectors vectors.cpp glm/detail/setup.hpp '^#include <cstddef>$' /usr/include/glm
# A multi-file tree: the test framework's one source that includes all of its others.
framework_sources=(src/gtest-all.cc)
check framework framework_test.cpp src/gtest-port.cc '^#include "gtest\/internal\/gtest-port.h"$' \
    /usr/src/googletest/googletest/src /usr/src/googletest/googletest/include/gtest
exit $failed
