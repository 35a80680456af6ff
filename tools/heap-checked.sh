#!/usr/bin/env bash
# Runs one Windows program under Wine with the heap checked on every allocation and free (Wine's
# heap tracing validates each block; a damaged block is reported as err:heap and stops the
# program). The trace itself is dropped; errors and the program's own lines pass through. Fails
# when the program fails or any heap error was reported.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-session.sh"
wine_session_join

# Wine's own services start with the first program of a session and would inherit the heap
# tracing; started here without it, only the program's own heap errors are reported.
WINEDEBUG=-all wine cmd /c exit >/dev/null 2>&1 || true

errors=$(mktemp)
exec 3>&1
WINEDEBUG=+heap wine "$@" 2>&1 1>&3 | grep -v -E "^[0-9a-f]{4}:trace:" | tee "$errors" >&2
rc=${PIPESTATUS[0]}
exec 3>&-
if grep -q "err:heap" "$errors"; then
    echo "heap-checked: Wine reported heap errors" >&2
    rc=1
fi
rm -f "$errors"
wine_session_leave
exit $rc
