#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine with the project's prefix (see tools/wine-env.sh).
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
export WINEPREFIX=${WINEPREFIX:-${VELA_WINEPREFIX:-$(cd "$(dirname "$0")/.." && pwd)/build/wineprefix}}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# A test run beside others names its own session (tools/wine-env.sh): its display and its prefix.
session=${VELA_WINE_SESSIONS:-}/${VELA_WINE_SESSION:-}
if [ -n "${VELA_WINE_SESSIONS:-}" ] && [ -n "${VELA_WINE_SESSION:-}" ] && [ -f "$session" ]; then
    export DISPLAY WINEPREFIX
    DISPLAY=$(sed -n 's/^DISPLAY=//p' "$session")
    WINEPREFIX=$(sed -n 's/^WINEPREFIX=//p' "$session")
fi
exec wine "$@"
