#!/usr/bin/env bash
# Installs what is missing, builds Vorlant (optimised) and starts it; arguments go to vorlant.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build
cmake --preset release -G Ninja >/dev/null
cmake --build --preset release
exec build/release/src/app/vorlant "$@"
