#!/usr/bin/env bash
# Configures (once) and builds the tree in build/; extra arguments go to the first configure.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELMORAN_BUILD_DIR:-$root/build}

if [[ ! -f $build/CMakeCache.txt ]]; then
    cmake -S "$root" -B "$build" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON "$@" >/dev/null
fi
cmake --build "$build" --parallel "$(nproc)" -- --no-print-directory >/dev/null
