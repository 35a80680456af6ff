#!/usr/bin/env bash
# Runs one Windows program under Wine. CTest uses this as the cross-compiling emulator.
# Inside tools/test.sh the Wine session is already up; run alone, it makes its own.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-session.sh"

own_session=0
if [ -z "${RYXO_XVFB_PID:-}" ]; then
    own_session=1
    wine_session_start
fi

wine "$@"
rc=$?

[ $own_session -eq 1 ] && wine_session_stop
exit $rc
