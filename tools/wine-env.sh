# Wine environment of the project: a private prefix and HOME under the build
# folder, Japanese locale and fonts, and an Xvfb display of its own.
#
#   source tools/wine-env.sh BUILD_DIR   # exports the environment, makes the prefix
#   wine_session                         # all of the below, stopped at exit
#   wine_xvfb_start                      # starts Xvfb on a free display (DISPLAY)
#   ... wine program.exe ...
#   wine_stop                            # ends the prefix's Wine processes and Xvfb
#
# Every step is idempotent; the prefix is made once and kept.

_wine_env_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

wine_env_setup() {
    local build=${1:?build folder}
    mkdir -p "$build/wine/home"
    WINE_ROOT=$(cd "$build/wine" && pwd)
    export WINEPREFIX="$WINE_ROOT/prefix"
    export HOME="$WINE_ROOT/home"
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export WINEDEBUG=-all
    export WINEARCH=win64
    export LANG=ja_JP.UTF-8
    export LC_ALL=ja_JP.UTF-8
    unset LANGUAGE
}

# Creates the prefix and maps the Japanese fonts, once.
wine_prefix_init() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine: creating prefix $WINEPREFIX" >&2
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    # The title-bar buttons of the virtual desktop are drawn with Marlett.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$fonts/marlett.ttf" ]; then
        mkdir -p "$fonts" && cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
    fi
    if [ ! -f "$WINE_ROOT/fonts.done" ]; then
        local reg="$WINE_ROOT/fonts.reg"
        # regedit reads UTF-16LE with a byte-order mark; UTF-8 would garble the names.
        {
            printf '\xff\xfe'
            iconv -f UTF-8 -t UTF-16LE <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"ＭＳ Ｐ明朝"="IPAPMincho"
"ＭＳ 明朝"="IPAMincho"
"MS UI Gothic"="IPAPGothic"
"MS Shell Dlg"="IPAPGothic"
"MS Shell Dlg 2"="IPAPGothic"
"Tahoma"="IPAPGothic"
"Times New Roman"="Liberation Serif"

REG
        } >"$reg"
        wine regedit /S "$reg" >/dev/null 2>&1
        wineserver -w
        touch "$WINE_ROOT/fonts.done"
    fi
}

# Starts Xvfb on a display number that it picks itself.
wine_xvfb_start() {
    local fdfile
    fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    WINE_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        [ -s "$fdfile" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(head -n1 "$fdfile" | tr -dc 0-9)"
    rm -f "$fdfile"
    if [ "$DISPLAY" = ":" ]; then
        echo "wine: Xvfb did not start" >&2
        return 1
    fi
}

# Ends this prefix's Wine processes and the Xvfb that we started.
wine_stop() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${WINE_XVFB_PID:-}" ]; then
        kill "$WINE_XVFB_PID" 2>/dev/null || true
        wait "$WINE_XVFB_PID" 2>/dev/null || true
        WINE_XVFB_PID=
    fi
}

# A Unix path as a Windows program under Wine names it (Z: is the root).
wine_dos_path() { printf 'Z:%s' "${1//\//\\}"; }

# Poses a program in a Wine virtual desktop for a screenshot: starts PROGRAM
# (with the environment already exported), runs POSER with its arguments and
# a last argument naming the file where it writes "W H X Y", waits for that
# file, crops the screen to it into OUT, and ends the desktop again. With
# WINE_POSE_FULL set, the whole screen also goes there, at 640 x 480.
#   wine_pose DESKTOP PROGRAM OUT POSER [ARG...]
wine_pose() {
    local desktop=$1 program=$2 out=$3 poser=$4
    shift 4
    wine explorer /desktop="$desktop",1024x768 "$program" >/dev/null 2>&1 &
    local desk=$! rect="$WINE_ROOT/pose.txt"
    rm -f "$rect"
    # The poser must run in the same desktop to see the program's windows.
    sleep 2
    timeout 60 wine explorer /desktop="$desktop",1024x768 "$poser" "$@" "$(wine_dos_path "$rect")" \
        >/dev/null 2>&1 || true
    for _ in $(seq 1 100); do [ -s "$rect" ] && break; sleep 0.2; done
    if [ -n "${WINE_POSE_FULL:-}" ]; then
        import -window root -resize 640x480 "$WINE_POSE_FULL"
        echo "$WINE_POSE_FULL"
    fi
    local w h x y
    read -r w h x y <"$rect"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"
    echo "$out (${w}x${h})"
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    wait "$desk" 2>/dev/null || true
}

# A whole session on a display of its own: Xvfb and the prefix now, and
# everything stopped again when the calling script exits.
wine_session() {
    trap wine_stop EXIT
    wine_xvfb_start
    wine_prefix_init
}

if [ $# -ge 1 ]; then
    wine_env_setup "$1"
fi
