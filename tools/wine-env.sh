# Sourced by ./test and ./run: a Wine prefix with the fonts the skins name, and an X display.
# Recipe and reasons: Debian's wine never reads /usr/share/wine/fonts; regedit needs UTF-16LE;
# Managed=N stops every message box waiting 2 s for a window manager.
vela_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${VELA_WINEPREFIX:-$vela_root/build/wineprefix}

vela_start_xvfb() {
    if [ -z "${DISPLAY:-}" ] || [ "${VELA_HEADLESS:-0}" = 1 ]; then
        local n=77
        while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
        Xvfb :$n -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
        VELA_XVFB_PID=$!
        export DISPLAY=:$n
        for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    fi
}

vela_make_prefix() {
    if [ ! -f "$WINEPREFIX/.vela-ready" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1 || true
        cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
        { printf '\377\376'; sed 's/$/\r/' "$vela_root/tools/fonts.reg" | iconv -f UTF-8 -t UTF-16LE; } \
            >"$WINEPREFIX/fonts-utf16.reg"
        (cd "$WINEPREFIX" && wine regedit /S fonts-utf16.reg </dev/null >/dev/null 2>&1)
        wineserver -w
        touch "$WINEPREFIX/.vela-ready"
    fi
    # A persistent server and a detached warm-up keep Wine's services off the callers' pipes.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

vela_stop_wine() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${VELA_XVFB_PID:-}" ]; then
        kill "$VELA_XVFB_PID" 2>/dev/null || true
        wait "$VELA_XVFB_PID" 2>/dev/null || true
    fi
}
