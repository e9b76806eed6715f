#!/usr/bin/env bash
# The Windows leg: cross-builds the core, its tests and the command-line vorlant.exe with
# MinGW-w64 (preset mingw) and runs them under Wine in a fresh, temporary Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build test windows
cmake --preset mingw -G Ninja >/dev/null
cmake --build --preset mingw

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/vorlant-wine.XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
cleanup() {
    wineserver -w || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
wineboot --init >/dev/null 2>&1
ctest --preset mingw
