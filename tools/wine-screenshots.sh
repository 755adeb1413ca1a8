#!/usr/bin/env bash
# Takes docs/screenshots/settings.png, edit.png, about.png and splash.png from ztp.exe running in a
# Wine virtual desktop (which draws the window frame) on a private Xvfb.
#   tools/wine-screenshots.sh BUILD_DIR
set -eu
build=$(cd "${1:?build folder of the Windows build}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/wine-env.sh" "$build"
wine_session
mkdir -p "$root/docs/screenshots"
for page in ${ZTP_PAGES:-settings edit about splash}; do
    ZTP_DISCS="$root/samples/albums.disc" wine explorer /desktop=ztp,1024x768 "$build/app/ztp.exe" \
        >/dev/null 2>&1 &
    desk=$!
    rect="$build/wine/pose.txt"
    rm -f "$rect"
    # The driver must run in the same desktop to see the program's windows.
    sleep 2
    timeout 60 wine explorer /desktop=ztp,1024x768 "$build/tests/e2e/ztp_e2e.exe" --pose "$page" \
        "Z:${rect//\//\\}" >/dev/null 2>&1 || true
    for _ in $(seq 1 100); do [ -s "$rect" ] && break; sleep 0.2; done
    read -r w h x y <"$rect"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$root/docs/screenshots/$page.png"
    echo "docs/screenshots/$page.png (${w}x${h})"
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    wait "$desk" 2>/dev/null || true
done
