#!/usr/bin/env bash
# Opens ztp.exe under Wine on the current display, with a disc file as its
# CD changer:  tools/wine-demo.sh BUILD_DIR DISC_FILE
set -eu
build=${1:?build folder of the Windows build}
disc=$(cd "$(dirname "${2:?disc file}")" && pwd)/$(basename "$2")
echo "=== ztp.exe with ZTP_DISCS=$disc (close its window to finish)"
exec "$(dirname "$0")/wine-run.sh" "$build" --display env ZTP_DISCS="$disc" wine "$build/app/ztp.exe"
