#!/usr/bin/env bash
# Installs what is missing, builds Velmoran with its tests (warnings are errors) and runs them all.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=packages.sh
source "$root/scripts/packages.sh"

"$root/scripts/deps.sh" "${build_packages[@]}" "${display_packages[@]}" "${test_packages[@]}"
"$root/scripts/build.sh"
ctest --test-dir "$root/build" --output-on-failure --parallel "$(nproc)"
