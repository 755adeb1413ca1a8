#!/usr/bin/env bash
# Runs the end-to-end tests: ztp.exe under Wine on a private Xvfb display.
#   tests/e2e/run.sh BUILD_DIR [FLOW]
set -eu
build=$(cd "${1:?build folder of the Windows build}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tools/wine-env.sh" "$build"
wine_session
scratch="$build/wine/e2e"
mkdir -p "$scratch"
export ZTP_E2E_SAMPLES=$(wine_dos_path "$root/samples")
wine "$build/tests/e2e/ztp_e2e.exe" "$(wine_dos_path "$build/app/ztp.exe")" "$(wine_dos_path "$scratch")" ${2:-} 2>/dev/null
