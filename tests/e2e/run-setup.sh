#!/usr/bin/env bash
# Runs the end-to-end tests of setup.exe under Wine on a private Xvfb display.
# The installer copies from the package folder of the Windows build.
#   tests/e2e/run-setup.sh BUILD_DIR [FLOW]
set -eu
build=$(cd "${1:?build folder of the Windows build}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tools/wine-env.sh" "$build"
wine_session
wine "$build/tests/e2e/setup_e2e.exe" "$(wine_dos_path "$build/package/ZTP")" ${2:-} 2>/dev/null
