#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: a debug build and a build under
# AddressSanitizer + UndefinedBehaviorSanitizer; then the Debian package check (scripts/package.sh)
# and the Windows leg (scripts/test-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build test
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
for preset in dev asan; do
    echo "== $preset"
    cmake --preset "$preset" -G Ninja >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done
echo "== Debian package"
scripts/package.sh dev
echo "== mingw (Windows build under Wine)"
start=$SECONDS
scripts/test-windows.sh
echo "== mingw leg took $((SECONDS - start)) s, installs included"
