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
# Every file in the package bears this time: the release's date in the changelog, unless the
# caller sets another, so that the same commit gives the same bytes whenever it is built.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(dpkg-parsechangelog -l data/changelog -STimestamp)}
export SOURCE_DATE_EPOCH
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# As Debian 13 hardens on every release: fortified at level 3, which also checks the copies whose
# size is known only at run time, and with stack clash protection.
export DEB_CPPFLAGS_MAINT_STRIP=-D_FORTIFY_SOURCE=2 DEB_CPPFLAGS_MAINT_APPEND=-D_FORTIFY_SOURCE=3
export DEB_CXXFLAGS_MAINT_APPEND=-fstack-clash-protection
# CMake takes no CPPFLAGS: the preprocessor's flags go with the compiler's.
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS LDFLAGS
if [[ ! -f $build/CMakeCache.txt ]]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=None -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --parallel "$(nproc)" >/dev/null
# The modes inside the package come from the install rules; but CPack gives the members of the
# .deb archive itself the modes of the files that it writes for them, which follow the umask.
(cd "$build" && umask 022 && cpack -G DEB -B "$output" >/dev/null)
ls "$output"/velmoran_*.deb
