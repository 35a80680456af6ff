#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test twice from the same build:
# on Wine's own Direct3D 9 (wined3d over OpenGL), then on DXVK (over Vulkan), each pass on its own
# Wine prefix and Xvfb display, which it stops afterwards, so one pass never ends the other's
# programs. Tests that need no Wine (the manual's checks, the package step) run in the first pass
# only. Before each pass it prints the Direct3D 9 and adapter the device reports; each pass ends
# with ctest's summary, and the run fails when either pass does.
#   tools/test.sh [--d3d9=wined3d|dxvk] [ctest arguments]   e.g. tools/test.sh --d3d9=dxvk -R cube
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

passes=(wined3d dxvk)
ctest_arguments=()
for argument in "$@"; do
    case $argument in
        --d3d9=wined3d | --d3d9=dxvk) passes=("${argument#--d3d9=}") ;;
        --d3d9=*) echo "test: --d3d9 takes wined3d or dxvk, not '${argument#--d3d9=}'" >&2; exit 2 ;;
        *) ctest_arguments+=("$argument") ;;
    esac
done

"$root/tools/setup.sh"
"$root/tools/build.sh"
. "$root/tools/wine-session.sh"

# Prints the Direct3D 9 and adapter of the session's prefix; fails when the DXVK pass would not run
# on DXVK (its log names its version on standard error).
report_direct3d9() {
    local pass=$1 log
    log=$(mktemp)
    local rc=0
    DXVK_LOG_LEVEL=info wine "$root/build/bin/d3d9_report.exe" 2>"$log" || rc=$?
    grep -o 'DXVK: .*' "$log" | head -n1 || true
    if [ $rc -ne 0 ] || { [ "$pass" = dxvk ] && ! grep -q 'DXVK: ' "$log"; }; then
        echo "test: the $pass prefix ($WINEPREFIX) has no working Direct3D 9 of that name:" >&2
        cat "$log" >&2
        rm -f "$log"
        return 1
    fi
    rm -f "$log"
}

# One pass, in a subshell: its own prefix, display and wineserver, stopped when it ends. ctest's
# output is kept to count the pass's tests. (Called in a || list, where set -e does not hold.)
run_pass() (
    local pass=$1 summary=$2
    wine_session_d3d9 "$pass" || exit 1
    trap wine_session_stop EXIT
    wine_session_start
    echo "=== Direct3D 9 pass: $pass"
    report_direct3d9 "$pass" || exit 1
    local only_wine=()
    [ "$pass" = wined3d ] || only_wine=(-LE without_wine)
    cd "$root/build" || exit 1
    ctest --output-on-failure "${only_wine[@]}" "${ctest_arguments[@]}" | tee "$summary"
)

failed_passes=()
total_passed=0
total_failed=0
for pass in "${passes[@]}"; do
    summary=$(mktemp)
    run_pass "$pass" "$summary" || failed_passes+=("$pass")
    # ctest's last line: "N% tests passed, F tests failed out of T".
    counts=$(sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$summary" | tail -n1)
    rm -f "$summary"
    if [ -n "$counts" ]; then
        read -r failed total <<<"$counts"
        total_passed=$((total_passed + total - failed))
        total_failed=$((total_failed + failed))
        echo "$pass: $((total - failed)) passed, $failed failed"
    fi
done
[ ${#passes[@]} -eq 1 ] || echo "both: $total_passed passed, $total_failed failed"
if [ ${#failed_passes[@]} -ne 0 ]; then
    echo "test: the ${failed_passes[*]} pass failed" >&2
    exit 1
fi
