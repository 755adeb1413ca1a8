#!/usr/bin/env bash
# Runs the Windows builds of the unit tests and of the differential test
# under Wine (no display needed). A program that crashes ends at once with a
# failure: Wine's crash dialog is turned off in the prefix while they run.
#   tests/windows/run.sh BUILD_DIR
set -eu
build=$(cd "${1:?build folder of the Windows build}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tools/wine-env.sh" "$build"
trap wine_stop EXIT
wine_prefix_init
dbg='HKCU\Software\Wine\WineDbg'
wine reg add "$dbg" /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
rc=0
timeout 600 wine "$build/tests/windows/windows_unit_tests.exe" --gtest_brief=1 || rc=1
timeout 600 wine "$build/tests/windows/windows_split_differential.exe" 3000 12 14 200000 || rc=1
wine reg delete "$dbg" /v ShowCrashDialog /f >/dev/null 2>&1 || true
exit $rc
