#!/usr/bin/env bash
# Installs what building and running Ryxo needs on a Debian machine; quick when all is present.
# Packages go through the package step of tools/packages.sh, which survives a broken archive.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/packages.sh"

packages=(mingw-w64 g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 xvfb xauth
          libgl1-mesa-dri:i386 libgl1:i386 libglx-mesa0:i386 libvulkan1:i386 mesa-vulkan-drivers:i386
          cmake googletest gnuplot-nox python3 chromium fonts-dejavu-core)
packages_install "${packages[@]}"

# The HLSL compiler of the reference host goes into build/compiler/, not onto the system.
"$here/install-compiler.sh"
# The second Direct3D 9 the tests run on: DXVK, in its own Wine prefix under build/.
"$here/install-dxvk.sh"
