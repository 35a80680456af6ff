# Sourced by the run scripts: a private Wine prefix and an Xvfb display for this run.
#   wine_session_start   creates the prefix if needed, starts Xvfb on a free display
#   wine_session_stop    stops that Xvfb (by PID) and the prefix's wineserver
# Both are safe to call when a session is already running in the environment.

RYXO_ROOT=${RYXO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

wine_session_start() {
    export WINEPREFIX=${WINEPREFIX:-$RYXO_ROOT/build/wineprefix}
    export WINEARCH=win32
    export WINEDEBUG=${WINEDEBUG:--all}
    # No Mono or Gecko installer dialog may ever block a run, and a program that crashes ends at
    # once instead of waiting in the debugger.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

    if [ -z "${RYXO_XVFB_PID:-}" ]; then
        local n=91
        while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        export RYXO_XVFB_PID=$!
        export DISPLAY=":$n"
        local i
        # A loaded machine can take seconds to bring the display up.
        for i in $(seq 1 600); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.05
        done
        if [ ! -e "/tmp/.X11-unix/X$n" ]; then
            echo "wine-session: Xvfb did not start on :$n" >&2
        fi
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
