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
names=(intro folder options install finish)
for page in ${SETUP_PAGES:-0 1 2 3 4}; do
    wine explorer /desktop=setup,1024x768 "$build/package/ZTP/setup.exe" >/dev/null 2>&1 &
    desk=$!
    rect="$build/wine/setup-pose.txt"
    rm -f "$rect"
    sleep 2
    timeout 60 wine explorer /desktop=setup,1024x768 "$build/tests/e2e/setup_e2e.exe" --pose "$page" \
        "Z:${rect//\//\\}" >/dev/null 2>&1 || true
    for _ in $(seq 1 100); do [ -s "$rect" ] && break; sleep 0.2; done
    out="$root/docs/screenshots/setup-${names[$page]}.png"
    if [ "$page" = 0 ]; then
        import -window root -resize 640x480 "$root/docs/screenshots/setup-title.png"
        echo "docs/screenshots/setup-title.png"
    fi
    read -r w h x y <"$rect"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"
    echo "${out#$root/} (${w}x${h})"
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    wait "$desk" 2>/dev/null || true
done
