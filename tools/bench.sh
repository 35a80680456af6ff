#!/usr/bin/env bash
# The benchmark command: installs what is missing, builds, and runs the benchmarks under Wine on a
# private prefix and display, which it stops afterwards. They print ratios measured in this run.
# The scale sweep writes docs/instancing_scale.csv, plotted into docs/instancing_scale_*.png.
# Figures are noisy on a shared machine: run it when `uptime` shows little load.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$root/tools/built-wine-session.sh"
echo "load before the benchmarks: $(uptime)"
mkdir -p "$root/docs"
cd "$root/build/bin"
wine ryxo_bench.exe
wine ryxo_cubetex_bench.exe
echo
wine ryxo_effectcam_bench.exe
echo
csv="$root/docs/instancing_scale.csv"
wine ryxo_scale_bench.exe 'Z:'"$(echo "$csv" | tr / '\\')"
gnuplot -e "csv='$csv'; frame_png='$root/docs/instancing_scale_frame.png'; upload_png='$root/docs/instancing_scale_upload.png'" \
    "$root/bench/instancing_scale.gnuplot"
echo "plots in $root/docs/instancing_scale_frame.png and $root/docs/instancing_scale_upload.png"
echo "load after the benchmarks: $(uptime)"
