#!/usr/bin/env bash
# Builds the Debian package with CPack and checks its metadata and contents.
# Usage: check-deb.sh BUILD_DIR
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
deb=$(ls "$out"/*.deb)
fail() {
    echo "$deb: $*"
    exit 1
}

[[ $(dpkg-deb -f "$deb" Package) == velmoran ]] || fail "wrong package name"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* ]] || fail "does not depend on the Qt 6 widget library: $depends"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/Velmoran \
    ./usr/share/applications/org.velmoran.Velmoran.desktop \
    ./usr/share/icons/hicolor/scalable/apps/org.velmoran.Velmoran.svg \
    ./usr/share/icons/hicolor/256x256/apps/org.velmoran.Velmoran.png \
    ./usr/share/metainfo/org.velmoran.Velmoran.metainfo.xml; do
    grep -qxF "$path" <<<"$contents" || fail "lacks $path"
done
echo "package: $(basename "$deb"), depends on: $depends"
