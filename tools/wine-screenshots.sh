#!/usr/bin/env bash
# Takes docs/screenshots/settings.png, edit.png, edit-none.png (the edit page
# after a tape time that is not an integer), about.png and splash.png from
# ztp.exe running in a Wine virtual desktop (which draws the window frame) on
# a private Xvfb.
#   tools/wine-screenshots.sh BUILD_DIR
set -eu
build=$(cd "${1:?build folder of the Windows build}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/wine-env.sh" "$build"
wine_session
mkdir -p "$root/docs/screenshots"
export ZTP_DISCS="$root/samples/albums.disc"
cd "$root"
for page in ${ZTP_PAGES:-settings edit edit-none about splash}; do
    wine_pose ztp "$build/app/ztp.exe" "docs/screenshots/$page.png" \
        "$build/tests/e2e/ztp_pose.exe" "$page"
done
