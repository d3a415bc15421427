#!/usr/bin/env bash
# Builds the Debian package, with the hardening flags that Debian builds its own packages with,
# in build-deb/. Usage: package.sh [OUTPUT_DIR]; prints the path of the package.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build-deb
output=${1:-$build}
# shellcheck source=packages.sh
source "$root/scripts/packages.sh"
"$root/scripts/deps.sh" "${build_packages[@]}" dpkg-dev file

cd "$root" # the flags map the paths below it away
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# CMake takes no CPPFLAGS: the preprocessor's flags go with the compiler's.
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS LDFLAGS
if [[ ! -f $build/CMakeCache.txt ]]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=None -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --parallel "$(nproc)" >/dev/null
(cd "$build" && cpack -G DEB -B "$output" >/dev/null)
ls "$output"/velmoran_*.deb
