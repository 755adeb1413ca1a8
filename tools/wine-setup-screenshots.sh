#!/usr/bin/env bash
# Takes docs/screenshots/setup-*.png from setup.exe running in a Wine virtual
# desktop (which draws the window frames) on a private Xvfb.
#   tools/wine-setup-screenshots.sh BUILD_DIR
set -eu
build=$(cd "${1:?build folder of the Windows build}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/wine-env.sh" "$build"
wine_session
mkdir -p "$root/docs/screenshots"
cd "$root"
names=(intro folder options install finish)
for page in ${SETUP_PAGES:-0 1 2 3 4}; do
    full=
    [ "$page" = 0 ] && full=docs/screenshots/setup-title.png
    WINE_POSE_FULL=$full wine_pose setup "$build/package/ZTP/setup.exe" \
        "docs/screenshots/setup-${names[$page]}.png" "$build/tests/e2e/setup_pose.exe" "$page"
done
