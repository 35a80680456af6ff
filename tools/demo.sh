#!/usr/bin/env bash
# The demo command: installs what is missing, builds, and runs the showcase in the reference host,
# on Wine's own Direct3D 9 or, with --d3d9=dxvk, on DXVK. Screenshots land in build/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
d3d9=wined3d
case ${1:-} in
    --d3d9=wined3d | --d3d9=dxvk) d3d9=${1#--d3d9=} ;;
    "") ;;
    *) echo "demo: the one argument is --d3d9=wined3d or --d3d9=dxvk, not '$1'" >&2; exit 2 ;;
esac
. "$root/tools/built-wine-session.sh"
mkdir -p "$root/build/screenshots"
cd "$root/build/bin"
wine ryxo_demo.exe 'Z:'"$(echo "$root/build/screenshots" | tr / '\\')"
echo "screenshots in $root/build/screenshots"
