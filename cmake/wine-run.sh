#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine with the project's prefix (see tools/wine-env.sh).
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
export WINEPREFIX=${WINEPREFIX:-${VELA_WINEPREFIX:-$(cd "$(dirname "$0")/.." && pwd)/build/wineprefix}}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
