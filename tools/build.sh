#!/usr/bin/env bash
# Configures (once) and builds everything into build/. A build folder whose CMake cache was made
# for another source folder (a copied checkout) is configured afresh, so the build never writes
# into the folder it was copied from.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache="$root/build/CMakeCache.txt"
if [ -f "$cache" ]; then
    configured_for=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$cache")
    if [ "$configured_for" != "$root" ]; then
        echo "build: build/ was configured for $configured_for; configuring it afresh for $root"
        rm -rf "$cache" "$root/build/CMakeFiles"
    fi
fi
if [ ! -f "$cache" ]; then
    cmake -S "$root" -B "$root/build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" >/dev/null
fi
cmake --build "$root/build" -j"$(nproc)" "$@"
