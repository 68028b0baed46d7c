#!/bin/bash
# Runs a Windows program under Wine in the project's own prefix.
#
#   scripts/wine.sh PROGRAM [ARGS...]   run it (exit code passed through)
#   scripts/wine.sh --start             keep one wineserver alive and warm
#   scripts/wine.sh --stop              end that wineserver
#   scripts/wine.sh --env               print the environment (for `eval`)
#
# The prefix lives in build/wineprefix and is created on first use with a
# French locale (ANSI code page 1252, OEM 850, French dates). Without a
# display, an Xvfb server is started on :87 and left running for later calls.
set -e
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
mkdir -p "$BUILD"

export WINEPREFIX="${BRALTO_WINEPREFIX:-$BUILD/wineprefix}"
export WINEARCH=win64
export WINESERVER=/usr/lib/wine/wineserver64
export WINELOADER=/usr/lib/wine/wine64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH="$BUILD/locale"
# Bash itself has no use for the private locale; only Wine gets it.
WINE_LOCALE=(env LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8)
WINE="/usr/lib/wine/wine64"

run_wine() {
    "${WINE_LOCALE[@]}" "$WINE" "$@"
}

ensure_locale() {
    [ -d "$LOCPATH/fr_FR.UTF-8" ] && return
    mkdir -p "$LOCPATH"
    localedef -i fr_FR -f UTF-8 "$LOCPATH/fr_FR.UTF-8" >/dev/null 2>&1 || true
}

ensure_display() {
    if [ -n "$DISPLAY" ]; then return; fi
    export DISPLAY=:87
    (
        flock 9
        if ! xdpyinfo -display :87 >/dev/null 2>&1; then
            rm -f /tmp/.X87-lock /tmp/.X11-unix/X87
            setsid Xvfb :87 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 < /dev/null 9>&- &
            for _ in $(seq 1 50); do
                xdpyinfo -display :87 >/dev/null 2>&1 && break
                sleep 0.1
            done
        fi
    ) 9>"$BUILD/.xvfb.lock"
}

# Windows look-alike screenshots need a desktop window; one shared virtual
# desktop keeps every program on the same desktop, so FindWindow still works.
# A crashing program must end (and fail its test), not wait on a crash dialog.
configure_prefix() {
    # This Wine looks for its own fonts beside its libraries, not in
    # /usr/share/wine: without Marlett and Tahoma, caption buttons show
    # letters. The prefix's Fonts folder is always searched.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    cat > "$WINEPREFIX/drive_c/bralto-setup.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Auto"="1"
REG
    run_wine regedit /S 'C:\bralto-setup.reg' >/dev/null 2>&1 < /dev/null 9>&-
    rm -f "$WINEPREFIX/drive_c/bralto-setup.reg"
}

# Bump when configure_prefix changes: existing prefixes are then reconfigured.
PREFIX_VERSION=3

ensure_prefix() {
    [ "$(cat "$WINEPREFIX/.bralto-ready" 2>/dev/null)" = "$PREFIX_VERSION" ] && return
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.bralto-ready" ]; then
            rm -rf "$WINEPREFIX"
            mkdir -p "$WINEPREFIX"
            run_wine wineboot -i >/dev/null 2>&1 < /dev/null 9>&- || true
        fi
        if [ "$(cat "$WINEPREFIX/.bralto-ready" 2>/dev/null)" != "$PREFIX_VERSION" ]; then
            configure_prefix
            echo "$PREFIX_VERSION" > "$WINEPREFIX/.bralto-ready"
        fi
    ) 9>"$BUILD/.wineprefix.lock"
}

ensure_locale
ensure_display
ensure_prefix

case "$1" in
    --start)
        # A server already running is either persistent already (another
        # run) or the short-lived one of the prefix's creation: wait for the
        # latter to end, so that the one serving the run is persistent.
        if ! "$WINESERVER" -p 9>&- 2>/dev/null; then
            timeout 15 "$WINESERVER" -w 9>&- 2>/dev/null || true
            "$WINESERVER" -p 9>&- 2>/dev/null || true
        fi
        # Warm it up outside any pipe a caller might wait on (ctest would
        # otherwise hang on Wine's helper processes holding its output).
        run_wine cmd /c exit </dev/null >/dev/null 2>&1 || true
        ;;
    --stop)
        "$WINESERVER" -k 2>/dev/null || true
        ;;
    --env)
        for v in WINEPREFIX WINEARCH WINESERVER WINELOADER WINEDEBUG WINEDLLOVERRIDES LOCPATH DISPLAY; do
            printf 'export %s=%q\n' "$v" "${!v}"
        done
        echo "export LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8"
        ;;
    *)
        exec "${WINE_LOCALE[@]}" "$WINE" "$@"
        ;;
esac
