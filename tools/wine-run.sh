#!/usr/bin/env bash
# Runs one Windows program under Wine. CTest uses this as the cross-compiling emulator.
# Inside tools/test.sh the Wine session is already up; run alone, it makes its own.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-session.sh"
wine_session_join
wine "$@"
rc=$?
wine_session_leave
exit $rc
