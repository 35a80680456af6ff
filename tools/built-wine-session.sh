# Sourced by the commands that run programs under Wine (demo, test, bench) after they set `root`:
# installs what is missing, builds, and starts a private Wine prefix and display that stop when
# the sourcing script exits.
"$root/tools/setup.sh"
"$root/tools/build.sh"

. "$root/tools/wine-session.sh"
trap wine_session_stop EXIT
wine_session_start
