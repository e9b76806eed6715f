#!/usr/bin/env bash
# Installs the Debian packages Vorlant needs to build, run and test (only what is missing).
# Usage: scripts/deps.sh [build|test|bench|windows|package]...   (default: build)
set -euo pipefail

build=(cmake g++ make ninja-build pkg-config
       qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6sql6-sqlite libgl-dev)
test=(googletest libgtest-dev libgmock-dev poppler-utils emf2svg binutils-mingw-w64-x86-64
      xvfb xauth xdotool x11-apps netpbm)
bench=(libbenchmark-dev ncdu gdu findutils time)
# The Windows cross-build of the core and its tests under Wine.
windows=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 wine)
# The Debian package and its checks.
package=(dpkg-dev help2man appstream desktop-file-utils lintian)

want=("${build[@]}")
for what in "$@"; do
    case "$what" in
        build) ;;
        test) want+=("${test[@]}") ;;
        bench) want+=("${bench[@]}") ;;
        windows) want+=("${windows[@]}") ;;
        package) want+=("${package[@]}") ;;
        *) echo "deps.sh: unknown set '$what' (build, test, bench, windows, package)" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${want[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q -o DPkg::Lock::Timeout=600
$sudo apt-get install -y -q -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}"
