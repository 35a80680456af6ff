#!/usr/bin/env bash
# The benchmark command: installs what is missing, builds, and runs the benchmarks under Wine, on
# Wine's own Direct3D 9 (wined3d) and then on DXVK, each on its own prefix and display, which it
# stops afterwards. They print ratios measured in this run. The scale sweep on wined3d writes
# docs/instancing_scale.csv, plotted into docs/instancing_scale_*.png (the README's figures); on
# DXVK it writes the same into build/bench-dxvk/.
# Figures are noisy on a shared machine: run it when `uptime` shows little load.
#   tools/bench.sh [--d3d9=wined3d|dxvk]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

passes=(wined3d dxvk)
case ${1:-} in
    --d3d9=wined3d | --d3d9=dxvk) passes=("${1#--d3d9=}") ;;
    "") ;;
    *) echo "bench: the one argument is --d3d9=wined3d or --d3d9=dxvk, not '$1'" >&2; exit 2 ;;
esac

"$root/tools/setup.sh"
"$root/tools/build.sh"
. "$root/tools/wine-session.sh"

run_pass() (
    local pass=$1 out
    wine_session_d3d9 "$pass" || exit 1
    trap wine_session_stop EXIT
    wine_session_start
    out="$root/docs"
    [ "$pass" = wined3d ] || out="$root/build/bench-$pass"
    mkdir -p "$out"
    echo "=== Direct3D 9 pass: $pass"
    DXVK_LOG_LEVEL=info wine "$root/build/bin/d3d9_report.exe" 2>&1 | grep -E '^(Direct3D 9|adapter)|DXVK: ' || exit 1
    echo "load before the benchmarks: $(uptime)"
    cd "$root/build/bin" || exit 1
    # A program that fails is named and the others still run; the pass then fails.
    local failed=()
    wine ryxo_bench.exe || failed+=(ryxo_bench)
    wine ryxo_cubetex_bench.exe || failed+=(ryxo_cubetex_bench)
    echo
    wine ryxo_effectcam_bench.exe || failed+=(ryxo_effectcam_bench)
    echo
    local csv="$out/instancing_scale.csv"
    if wine ryxo_scale_bench.exe 'Z:'"$(echo "$csv" | tr / '\\')"; then
        gnuplot -e "csv='$csv'; frame_png='$out/instancing_scale_frame.png'; upload_png='$out/instancing_scale_upload.png'" \
            "$root/bench/instancing_scale.gnuplot" || failed+=(gnuplot)
        echo "plots in $out/instancing_scale_frame.png and $out/instancing_scale_upload.png"
    else
        failed+=(ryxo_scale_bench)
    fi
    echo "load after the benchmarks: $(uptime)"
    [ ${#failed[@]} -eq 0 ] || { echo "bench: on $pass, ${failed[*]} failed" >&2; exit 1; }
)

for pass in "${passes[@]}"; do
    run_pass "$pass" || { echo "bench: the $pass pass failed" >&2; exit 1; }
done
