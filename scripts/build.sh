#!/usr/bin/env bash
# Configures and builds the tree in build/ (or $VELMORAN_BUILD_DIR) with warnings as errors;
# arguments go to the configure step, e.g. -DBUILD_TESTING=OFF.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELMORAN_BUILD_DIR:-$root/build}

cmake -S "$root" -B "$build" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)" >/dev/null
