#!/usr/bin/env bash
# Configures and builds Kelvo. Usage: scripts/build.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
shift || true
# Cached compilations stay valid for another clone of the same sources.
export CCACHE_BASEDIR="$here"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVO_WERROR=ON "$@" >/dev/null
cmake --build "$build"
