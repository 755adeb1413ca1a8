#!/usr/bin/env bash
# Runs the end-to-end tests: ztp.exe under Wine on a private Xvfb display.
#   tests/e2e/run.sh BUILD_DIR [FLOW]
set -eu
build=$(cd "${1:?build folder of the Windows build}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tools/wine-env.sh" "$build"
wine_session
dos() { printf 'Z:%s' "${1//\//\\}"; }
scratch="$build/wine/e2e"
mkdir -p "$scratch"
wine "$build/tests/e2e/ztp_e2e.exe" "$(dos "$build/app/ztp.exe")" "$(dos "$scratch")" ${2:-} 2>/dev/null
