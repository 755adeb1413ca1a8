#!/usr/bin/env bash
# Runs a command in the project's Wine environment under a private Xvfb:
#   tools/wine-run.sh BUILD_DIR [--display] COMMAND...
# --display keeps the caller's DISPLAY instead of starting Xvfb.
set -eu
build=${1:?build folder}
shift
keep_display=0
if [ "${1:-}" = --display ]; then
    keep_display=1
    shift
fi
source "$(dirname "$0")/wine-env.sh" "$build"
trap wine_stop EXIT
if [ $keep_display = 0 ] || [ -z "${DISPLAY:-}" ]; then wine_xvfb_start; fi
wine_prefix_init
"$@"
