#!/usr/bin/env bash
# Installs what building and running Ryxo needs on a Debian machine; quick when all is present.
set -euo pipefail

packages=(mingw-w64 g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 xvfb xauth
          libgl1-mesa-dri:i386 libgl1:i386 libglx-mesa0:i386 cmake googletest gnuplot-nox
          python3 chromium fonts-dejavu-core)

missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

    echo "setup: installing ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        "${sudo_cmd[@]}" dpkg --add-architecture i386
    fi
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The HLSL compiler of the reference host goes into build/compiler/, not onto the system.
"$(dirname "${BASH_SOURCE[0]}")/install-compiler.sh"
