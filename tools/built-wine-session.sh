# Sourced by a command that runs programs under Wine after it sets `root` (and, if it likes,
# `d3d9`: wined3d, the default, or dxvk): installs what is missing, builds, and starts a private
# Wine prefix and display of that Direct3D 9 that stop when the sourcing script exits.
"$root/tools/setup.sh"
"$root/tools/build.sh"

. "$root/tools/wine-session.sh"
wine_session_d3d9 "${d3d9:-wined3d}"
trap wine_session_stop EXIT
wine_session_start
