# Sourced by the run scripts: a private Wine prefix and an Xvfb display for this run.
#   wine_session_start   creates the prefix if needed, starts Xvfb on a free display
#   wine_session_stop    stops that Xvfb (by PID) and the prefix's wineserver
# Both are safe to call when a session is already running in the environment.
#   wine_session_d3d9 NAME   chooses the Direct3D 9 of the sessions started afterwards: wined3d
#                        (Wine's own, the prefix build/wineprefix, the default) or dxvk (DXVK over
#                        Vulkan, build/wineprefix-dxvk, made by tools/install-dxvk.sh)
#   wine_session_join    for one program: starts a session unless the environment has one
#   wine_session_leave   stops the session only if wine_session_join started it

RYXO_ROOT=${RYXO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

wine_session_d3d9() {
    case $1 in
        wined3d) export WINEPREFIX=$RYXO_ROOT/build/wineprefix ;;
        # DXVK writes a log and a pipeline cache beside each program unless told not to; its log
        # still goes to standard error.
        dxvk) export WINEPREFIX=$RYXO_ROOT/build/wineprefix-dxvk DXVK_LOG_PATH=none DXVK_STATE_CACHE=0 ;;
        *) echo "wine-session: no Direct3D 9 named '$1' (wined3d or dxvk)" >&2; return 1 ;;
    esac
}

wine_session_start() {
    export WINEPREFIX=${WINEPREFIX:-$RYXO_ROOT/build/wineprefix}
    export WINEARCH=win32
    export WINEDEBUG=${WINEDEBUG:--all}
    # No Mono or Gecko installer dialog may ever block a run, and a program that crashes ends at
    # once instead of waiting in the debugger.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

    if [ -z "${RYXO_XVFB_PID:-}" ]; then
        # Xvfb picks a free display itself and writes its number once it accepts connections, so
        # sessions started at the same moment never share one.
        local number_file
        number_file=$(mktemp)
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
        export RYXO_XVFB_PID=$!
        local i
        # A loaded machine can take seconds to bring the display up.
        for i in $(seq 1 600); do
            [ -s "$number_file" ] && break
            sleep 0.05
        done
        if [ -s "$number_file" ]; then
            export DISPLAY=":$(tr -d '[:space:]' < "$number_file")"
        else
            echo "wine-session: Xvfb did not start" >&2
        fi
        rm -f "$number_file"
    fi

    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
}

wine_session_stop() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -n "${RYXO_XVFB_PID:-}" ]; then
        kill "$RYXO_XVFB_PID" 2>/dev/null || true
        wait "$RYXO_XVFB_PID" 2>/dev/null || true
        unset RYXO_XVFB_PID
    fi
}

wine_session_join() {
    RYXO_OWN_SESSION=0
    [ -n "${RYXO_XVFB_PID:-}" ] || { RYXO_OWN_SESSION=1; wine_session_start; }
}

wine_session_leave() {
    [ "${RYXO_OWN_SESSION:-0}" -eq 0 ] || wine_session_stop
}
