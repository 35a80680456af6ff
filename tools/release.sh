#!/usr/bin/env bash
# The release command: installs what is missing, builds (optimised, with debug information), and
# packs build/release/Ryxo-<version>.zip: Ryxo.dll stripped of its debug information (which stays
# beside the build in build/release/Ryxo.dll.debug), the keyword list for script editors, the HTML
# command reference, the guides' effect files (effects/) and INSTALL.txt. tools/test.sh checks the archived DLL (release_dll_tests).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh" --target ryxo_release
ls "$root"/build/release/Ryxo-*.zip
