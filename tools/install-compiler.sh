#!/usr/bin/env bash
# Installs the HLSL compiler the reference host compiles effect shaders with: d3dcompiler_47.dll of
# Wine 10 (Debian trixie's libwine:i386) and the wined3d.dll that holds its compiler, into
# build/compiler/. Wine 8's own compiler refuses or mis-compiles common intrinsics (tex2D, dot,
# normalize, ...). Nothing on the system changes: the package is downloaded on a private apt state
# (tools/packages.sh), never installed. Quick when the patched files are already there.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
target="$root/build/compiler"
compiler="$target/d3dcompiler_47.dll"
wined3d="$target/w10d3d.dll" # renamed: Wine 8's d3d9 loads its own wined3d.dll into the same process
marker_done="$target/patched"

[ -f "$marker_done" ] && [ -f "$compiler" ] && [ -f "$wined3d" ] && exit 0

step=""
fail() { echo "install-compiler: failed to $step${1:+: $1}" >&2; exit 1; }
trap 'fail' ERR

step="create $target"
state="$target/apt"
mkdir -p "$state"
rm -f "$marker_done"

step="download libwine:i386 from trixie"
. "$root/tools/packages.sh"
rm -f "$state/"*.deb
packages_download "$state" trixie libwine:i386 || exit 1

step="unpack d3dcompiler_47.dll and wined3d.dll from the package"
package=$(ls "$state/"libwine_*_i386.deb | head -n1)
unpacked="$state/unpacked"
rm -rf "$unpacked"
mkdir -p "$unpacked"
dpkg-deb --fsys-tarfile "$package" | tar -x -C "$unpacked" \
    ./usr/lib/i386-linux-gnu/wine/i386-windows/d3dcompiler_47.dll \
    ./usr/lib/i386-linux-gnu/wine/i386-windows/wined3d.dll
dlls="$unpacked/usr/lib/i386-linux-gnu/wine/i386-windows"

# A DLL whose DOS stub says "Wine builtin DLL" is replaced by the running Wine's own DLL of that
# name wherever it is loaded from; and the import of wined3d.dll must name the renamed file.
step="patch the builtin marker and the wined3d import"
python3 - "$dlls/d3dcompiler_47.dll" "$dlls/wined3d.dll" "$compiler.new" "$wined3d.new" <<'EOF'
import sys
compiler_in, wined3d_in, compiler_out, wined3d_out = sys.argv[1:]
builtin, native = b"Wine builtin DLL", b"Ryxo native DLL."

def unmark(data):
    if data[0x40:0x50] != builtin:
        sys.exit("no builtin marker at offset 0x40")
    return data[:0x40] + native + data[0x50:]

compiler = unmark(open(compiler_in, "rb").read())
old, new = b"wined3d.dll\0", b"w10d3d.dll\0\0"
if compiler.count(old) != 1:
    sys.exit(f"d3dcompiler_47.dll names wined3d.dll {compiler.count(old)} times, not once")
compiler = compiler.replace(old, new)
open(compiler_out, "wb").write(compiler)
open(wined3d_out, "wb").write(unmark(open(wined3d_in, "rb").read()))
EOF
mv "$compiler.new" "$compiler"
mv "$wined3d.new" "$wined3d"

step="remove the downloaded package"
rm -rf "$state"
touch "$marker_done"
echo "install-compiler: Wine 10's d3dcompiler_47.dll is in $target"
