#!/usr/bin/env bash
# Builds the Debian package of Vorlant and checks it: desktop entry, AppStream data, lintian, and a
# run of the unpacked programs from a throwaway root.
# Usage: scripts/package.sh [PRESET]   (default: release; the test command passes its dev build)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-release}
scripts/deps.sh build package
if [ ! -f "build/$preset/CMakeCache.txt" ]; then
    cmake --preset "$preset" -G Ninja >/dev/null
fi
cmake --build --preset "$preset"
dir=build/$preset
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls -t "$dir"/vorlant_*.deb | head -n 1)
echo "package: $deb"

desktop-file-validate packaging/org.vorlant.Vorlant.desktop
appstreamcli validate --no-net --explain packaging/org.vorlant.Vorlant.metainfo.xml >/dev/null \
    || appstreamcli validate --no-net packaging/org.vorlant.Vorlant.metainfo.xml
# lintian: errors fail the check, warnings are shown.
lintian_out=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
[ -n "$lintian_out" ] && echo "$lintian_out"
if echo "$lintian_out" | grep -q '^E:'; then
    echo "package: lintian reports errors" >&2
    exit 1
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
"$root/usr/bin/vorlant" --version
tree="$root/tree"
mkdir -p "$tree/sub"
head -c 3000 /dev/zero > "$tree/big.bin"
head -c 10 /dev/zero > "$tree/sub/small.txt"
"$root/usr/bin/vorlant" --list --count 1 "$tree"
echo "package: ok"
