#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test under Wine on a private
# prefix and display, which it stops afterwards. Extra arguments go to ctest (e.g. -R instancing).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$root/tools/built-wine-session.sh"
cd "$root/build"
ctest --output-on-failure "$@"
