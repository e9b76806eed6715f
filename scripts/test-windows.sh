#!/usr/bin/env bash
# The Windows leg: cross-builds the core, its tests and the command-line vorlant.exe with
# MinGW-w64 (preset mingw) and runs them under Wine in a fresh, temporary Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build test windows
cmake --preset mingw -G Ninja >/dev/null
cmake --build --preset mingw

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/vorlant-wine.XXXXXX")
# UTC: the expected dates below are UTC dates.
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" TZ=UTC
cleanup() {
    wineserver -w || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
wineboot --init >/dev/null 2>&1
ctest --preset mingw

# End to end: vorlant.exe --list on a generated tree, reached through Wine's drive Z:.
tree=$(mktemp -d "${TMPDIR:-/tmp}/vorlant-tree.XXXXXX")
trap 'rm -rf "$tree" "$tree.out"; cleanup' EXIT
mkdir -p "$tree/sub/deeper"
make_file() { truncate -s "$2" "$tree/$1" && touch -m -d "@$3" "$tree/$1"; }
make_file big 5368709120 1104537600       # 5 GiB (sparse), 2005
make_file a.txt 100 631152000             # 1990
make_file sub/c.dat 3221225473 1262304000 # 2010
make_file sub/deeper/d 2000 157766400     # 1975
make_file sub/e 0 5680281600              # 2150
win=$(winepath -w "$tree" 2>/dev/null)
exe=build/mingw/src/app/vorlant.exe
# Runs vorlant.exe with the arguments and compares its output byte for byte with standard input.
expect_output() {
    wine "$exe" "$@" >"$tree.out"
    if ! cmp -s - "$tree.out"; then
        echo "FAILED: vorlant.exe $* printed:" >&2
        cat -A "$tree.out" >&2
        exit 1
    fi
}
printf 'rank,size,mtime,path\r\n1,5368709120,1104537600,%s\\big\r\n2,3221225473,1262304000,%s\\sub\\c.dat\r\n3,2000,157766400,%s\\sub\\deeper\\d\r\n' \
    "$win" "$win" "$win" | expect_output --list --format csv --count 2 "$win\\"
printf '1\t1975-01-01\t%s\\sub\\deeper\\d\n2\t1990-01-01\t%s\\a.txt\n' "$win" "$win" |
    expect_output --list --show oldest --count 1 "$win"
wine "$exe" --drives | grep -qx 'C:' || { echo "FAILED: vorlant.exe --drives lists no C:" >&2; exit 1; }
echo "== vorlant.exe --list under Wine: as expected"
