#!/usr/bin/env bash
# Runs the Windows build's tests under 32-bit Wine in a temporary prefix of
# their own, removed afterwards.
set -euo pipefail
preset=${1:-mingw32}
export WINEPREFIX
WINEPREFIX=$(mktemp -d /tmp/quor-wine.XXXXXX)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win32
cleanup() { wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"; }
trap cleanup EXIT
wineboot -i >/dev/null 2>&1
wineserver -w
ctest --preset "$preset"
