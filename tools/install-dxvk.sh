#!/usr/bin/env bash
# Makes the second Direct3D 9 the tests run on: a 32-bit Wine prefix, build/wineprefix-dxvk, whose
# Direct3D 9 calls all go to DXVK over Vulkan (lavapipe, the Vulkan packages tools/setup.sh
# installs). DXVK's 32-bit d3d9.dll comes from Debian trixie's dxvk-wine32, pinned to 2.6+ds-1
# (DXVK 3.x needs a newer Mesa than bookworm's) and checked by its sha256; the package is
# downloaded on a private apt state (tools/packages.sh), never installed. The DLL goes into the
# prefix's system32 with the prefix's override d3d9=native,builtin, so that WINEDLLOVERRIDES given
# to one program (as a test does for d3dx9_35) leaves it in place. Quick when the prefix holds it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$root/tools/wine-session.sh"
wine_session_d3d9 dxvk

package_version="2.6+ds-1"
d3d9_sha256="e49bb83311903b60114022f4762b28e2ecb7cfb769fd422c6b423c0a86c89f00"
prefix=$WINEPREFIX
dll="$prefix/drive_c/windows/system32/d3d9.dll"
work="$root/build/dxvk"
log="$work/prefix.log"

has_override() { grep -qs '^"d3d9"="native,builtin"' "$prefix/user.reg"; }
dll_is_pinned() { [ -f "$dll" ] && echo "$d3d9_sha256  $dll" | sha256sum --check --status; }

dll_is_pinned && has_override && exit 0

step=""
fail() { echo "install-dxvk: failed to $step${1:+: $1}" >&2; exit 1; }
trap 'fail' ERR
mkdir -p "$work"

# The prefix's own programs: the same settings as every other Wine run of the project (no Mono or
# Gecko dialog, no debugger), and its own wineserver, which this script waits for.
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

if [ ! -f "$prefix/system.reg" ]; then
    step="create the Wine prefix $prefix (see $log)"
    mkdir -p "$prefix"
    wineboot -i >"$log" 2>&1
    wineserver -w
fi

if ! dll_is_pinned; then
    step="download dxvk-wine32 $package_version from trixie"
    . "$root/tools/packages.sh"
    rm -rf "$work/deb"
    packages_download "$work/deb" trixie "dxvk-wine32=$package_version" || exit 1

    step="unpack d3d9.dll from the package"
    unpacked="$work/unpacked"
    rm -rf "$unpacked"
    mkdir -p "$unpacked"
    dpkg-deb --fsys-tarfile "$work/deb/"dxvk-wine32_*_i386.deb | tar -x -C "$unpacked" ./usr/lib/dxvk/wine32/d3d9.dll.so
    got=$(sha256sum "$unpacked/usr/lib/dxvk/wine32/d3d9.dll.so" | cut -d' ' -f1)
    step="check d3d9.dll of dxvk-wine32 $package_version"
    [ "$got" = "$d3d9_sha256" ] || fail "its sha256 is $got, not $d3d9_sha256"

    step="copy d3d9.dll into $prefix"
    cp "$unpacked/usr/lib/dxvk/wine32/d3d9.dll.so" "$dll.new"
    mv "$dll.new" "$dll"
    rm -rf "$unpacked" "$work/deb"
fi

if ! has_override; then
    step="set the override d3d9=native,builtin in $prefix (see $log)"
    wine reg add 'HKEY_CURRENT_USER\Software\Wine\DllOverrides' /v d3d9 /d native,builtin /f >>"$log" 2>&1
    wineserver -w
    has_override || fail "user.reg does not hold it after reg add"
fi
echo "install-dxvk: DXVK $package_version's d3d9.dll is the Direct3D 9 of $prefix"
