#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that exactly the expected files land.
# Usage: check-install.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
actual=$(cd "$prefix" && find . -type f | sort)
expected="./bin/Velmoran
./share/applications/org.velmoran.velmoran.desktop
./share/doc/velmoran/changelog.gz
./share/doc/velmoran/copyright
./share/icons/hicolor/256x256/apps/org.velmoran.velmoran.png
./share/icons/hicolor/scalable/apps/org.velmoran.velmoran.svg
./share/man/ja/man1/Velmoran.1.gz
./share/man/man1/Velmoran.1.gz
./share/metainfo/org.velmoran.velmoran.metainfo.xml"
if [[ $actual != "$expected" ]]; then
    echo "Installed files differ from the expected list:"
    diff <(echo "$expected") <(echo "$actual") || true
    exit 1
fi
[[ -x $prefix/bin/Velmoran ]] || { echo "bin/Velmoran is not executable"; exit 1; }
! readelf -d "$prefix/bin/Velmoran" | grep -E 'RPATH|RUNPATH' || { echo "bin/Velmoran sets a library search path"; exit 1; }
size=$(file -b "$prefix/share/icons/hicolor/256x256/apps/org.velmoran.velmoran.png")
[[ $size == *"256 x 256"* ]] || { echo "the PNG icon is not 256x256: $size"; exit 1; }
echo "install: $(wc -l <<<"$actual") files in place"
