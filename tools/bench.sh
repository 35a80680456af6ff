#!/usr/bin/env bash
# The benchmark command: installs what is missing, builds, and runs the benchmarks under Wine on a
# private prefix and display, which it stops afterwards. They print ratios measured in this run.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh"

. "$root/tools/wine-session.sh"
trap wine_session_stop EXIT
wine_session_start
cd "$root/build/bin"
wine ryxo_bench.exe
wine ryxo_cubetex_bench.exe
echo
wine ryxo_effectcam_bench.exe
