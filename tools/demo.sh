#!/usr/bin/env bash
# The demo command: installs what is missing, builds, and runs the showcase in the reference host.
# Screenshots land in build/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$root/tools/built-wine-session.sh"
mkdir -p "$root/build/screenshots"
cd "$root/build/bin"
wine ryxo_demo.exe 'Z:'"$(echo "$root/build/screenshots" | tr / '\\')"
echo "screenshots in $root/build/screenshots"
