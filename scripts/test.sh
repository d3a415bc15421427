#!/usr/bin/env bash
# Installs what is missing, builds Velmoran with its tests (warnings are errors) and runs them
# all; then builds and runs everything once more under AddressSanitizer and UBSan.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=packages.sh
source "$root/scripts/packages.sh"

"$root/scripts/deps.sh" "${build_packages[@]}" "${display_packages[@]}" "${test_packages[@]}"

"$root/scripts/build.sh" -DBUILD_TESTING=ON
ctest --test-dir "$root/build" --output-on-failure --parallel "$(nproc)"

echo "Once more with AddressSanitizer and UndefinedBehaviorSanitizer:"
VELMORAN_BUILD_DIR="$root/build-sanitize" "$root/scripts/build.sh" -DBUILD_TESTING=ON \
    -DVELMORAN_SANITIZE=ON
ctest --test-dir "$root/build-sanitize" --output-on-failure --parallel "$(nproc)"
