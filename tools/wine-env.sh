# Sourced by ./test and ./run: a Wine prefix with the fonts the skins name, and an X display.
# Recipe and reasons: Debian's wine never reads /usr/share/wine/fonts; regedit needs UTF-16LE;
# Managed=N stops every message box waiting 2 s for a window manager.
vela_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${VELA_WINEPREFIX:-$vela_root/build/wineprefix}

vela_start_xvfb() {
    if [ -z "${DISPLAY:-}" ] || [ "${VELA_HEADLESS:-0}" = 1 ]; then
        vela_new_display
        VELA_XVFB_PID=$VELA_LAST_XVFB_PID
        export DISPLAY=$VELA_LAST_DISPLAY
    fi
}

# Builds the prefix unless a complete earlier set-up marked it ready. Every step must succeed before the mark
# is written: a prefix without fonts or font replacements draws Chinese text as empty boxes.
vela_make_prefix() {
    if [ ! -f "$WINEPREFIX/.vela-ready" ]; then
        vela_setup_prefix || {
            echo "wine-env: setting up the Wine prefix $WINEPREFIX failed: $vela_prefix_error" >&2
            return 1
        }
    fi
    vela_warm_up
}

# A persistent server and a detached warm-up keep Wine's services off the callers' pipes.
vela_warm_up() {
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

vela_setup_prefix() {
    vela_prefix_error=""
    # Only a prefix this script made (or the default one) is thrown away after a failed set-up.
    if [ -d "$WINEPREFIX" ] && { [ -f "$WINEPREFIX/.vela-setup" ] || [ "$WINEPREFIX" = "$vela_root/build/wineprefix" ]; }; then
        wineserver -k >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX"
    fi
    mkdir -p "$WINEPREFIX" && touch "$WINEPREFIX/.vela-setup" || { vela_prefix_error="cannot create it"; return 1; }
    wineboot -i </dev/null >/dev/null 2>&1 || { vela_prefix_error="wineboot failed"; return 1; }
    wineserver -w
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    [ -d "$fonts" ] || { vela_prefix_error="wineboot made no $fonts"; return 1; }
    cp /usr/share/wine/fonts/* "$fonts/" || { vela_prefix_error="copying Wine's fonts failed"; return 1; }
    { printf '\377\376'; sed 's/$/\r/' "$vela_root/tools/fonts.reg" | iconv -f UTF-8 -t UTF-16LE; } \
        >"$WINEPREFIX/fonts-utf16.reg" || { vela_prefix_error="converting fonts.reg failed"; return 1; }
    (cd "$WINEPREFIX" && wine regedit /S fonts-utf16.reg </dev/null >/dev/null 2>&1) ||
        { vela_prefix_error="importing the font replacements failed"; return 1; }
    wineserver -w
    # regedit /S reports nothing: read one replacement back.
    grep -q 'WenQuanYi Micro Hei' "$WINEPREFIX/user.reg" 2>/dev/null ||
        { vela_prefix_error="the font replacements are not in the registry"; return 1; }
    # No `fc-list | grep -q` here: under pipefail, grep leaving early kills fc-list with SIGPIPE now and then.
    # A font installed a moment ago may not be in fontconfig's caches yet: refresh them once before giving up.
    [ -n "$(fc-list 'WenQuanYi Micro Hei' family 2>/dev/null)" ] ||
        { fc-cache >/dev/null 2>&1; [ -n "$(fc-list 'WenQuanYi Micro Hei' family 2>/dev/null)" ]; } ||
        { vela_prefix_error="no CJK font (WenQuanYi Micro Hei, package fonts-wqy-microhei) on this system"; return 1; }
    touch "$WINEPREFIX/.vela-ready"
}

# Starts a free Xvfb display; prints its name. The caller keeps its process id from VELA_LAST_XVFB_PID.
vela_new_display() {
    local n=77
    while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 "${VELA_SCREEN:-1280x800x24}" -nolisten tcp >/dev/null 2>&1 &
    VELA_LAST_XVFB_PID=$!
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    [ -e /tmp/.X11-unix/X$n ] || return 1
    VELA_LAST_DISPLAY=:$n
}

# Sessions kept apart for tests run side by side: each has its own X display and its own copy of the ready
# prefix, so one session's windows, focus, registry and named objects never reach another. The emulator
# script picks session N from $VELA_WINE_SESSIONS/N when a test names it in VELA_WINE_SESSION.
vela_start_sessions() {
    local count=$1 i prefix warm=()
    export VELA_WINE_SESSIONS="$WINEPREFIX-sessions"
    rm -rf "$VELA_WINE_SESSIONS"
    mkdir -p "$VELA_WINE_SESSIONS" || return 1
    VELA_SESSION_PIDS=()
    for ((i = 0; i < count; i++)); do
        prefix="$VELA_WINE_SESSIONS/prefix-$i"
        cp -a "$WINEPREFIX" "$prefix" || return 1
        vela_new_display || return 1
        VELA_SESSION_PIDS+=("$VELA_LAST_XVFB_PID")
        printf 'DISPLAY=%s\nWINEPREFIX=%s\n' "$VELA_LAST_DISPLAY" "$prefix" >"$VELA_WINE_SESSIONS/$i"
        (export DISPLAY=$VELA_LAST_DISPLAY WINEPREFIX=$prefix
            vela_warm_up) &
        warm+=($!)
    done
    wait "${warm[@]}"
}

vela_stop_sessions() {
    local f pid
    for f in "${VELA_WINE_SESSIONS:-/nonexistent}"/prefix-*; do
        [ -d "$f" ] && WINEPREFIX=$f wineserver -k >/dev/null 2>&1
    done
    for pid in ${VELA_SESSION_PIDS[@]+"${VELA_SESSION_PIDS[@]}"}; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    VELA_SESSION_PIDS=()
    [ -n "${VELA_WINE_SESSIONS:-}" ] && rm -rf "$VELA_WINE_SESSIONS"
    unset VELA_WINE_SESSIONS
}

vela_stop_wine() {
    vela_stop_sessions
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${VELA_XVFB_PID:-}" ]; then
        kill "$VELA_XVFB_PID" 2>/dev/null || true
        wait "$VELA_XVFB_PID" 2>/dev/null || true
    fi
}
