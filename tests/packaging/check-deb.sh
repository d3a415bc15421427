#!/usr/bin/env bash
# Builds the Debian package, checks its metadata and contents, and has lintian check it at every
# level: no tag may remain. Builds it once more from a copy of the tree in another folder, under
# another umask, time zone and locale, and expects the same bytes.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

deb=$("$root/scripts/package.sh" "$out/first")
fail() {
    echo "$deb: $*"
    exit 1
}

mkdir "$out/tree"
tar -C "$root" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$out/tree" -xf -
again=$(umask 002 && TZ=JST-9 LC_ALL=C.UTF-8 "$out/tree/scripts/package.sh" "$out/again")
cmp "$deb" "$again" || fail "differs from the same tree built elsewhere under umask 002"

[[ $(dpkg-deb -f "$deb" Package) == velmoran ]] || fail "wrong package name"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* ]] || fail "does not depend on the Qt 6 widget library: $depends"
recommends=$(dpkg-deb -f "$deb" Recommends)
[[ $recommends == *fonts-vlgothic* && $recommends == *qt6-wayland* ]] ||
    fail "recommends no Japanese font or no Wayland plugin: $recommends"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/Velmoran \
    ./usr/share/applications/org.velmoran.velmoran.desktop \
    ./usr/share/icons/hicolor/scalable/apps/org.velmoran.velmoran.svg \
    ./usr/share/icons/hicolor/256x256/apps/org.velmoran.velmoran.png \
    ./usr/share/metainfo/org.velmoran.velmoran.metainfo.xml \
    ./usr/share/man/man1/Velmoran.1.gz \
    ./usr/share/man/ja/man1/Velmoran.1.gz \
    ./usr/share/doc/velmoran/copyright \
    ./usr/share/doc/velmoran/changelog.gz; do
    grep -qxF "$path" <<<"$contents" || fail "lacks $path"
done
dpkg-deb -x "$deb" "$out/root"
! readelf -d "$out/root/usr/bin/Velmoran" | grep -E 'RPATH|RUNPATH' || fail "sets a library search path"
# -I shows the tags of every level, info included (--info would only explain them).
tags=$(lintian --allow-root -I --display-experimental --pedantic --tag-display-limit 0 "$again" 2>&1)
[[ -z $tags ]] || fail "lintian: $tags"
echo "package: $(basename "$deb"), depends on: $depends; reproducible; no search path; lintian: clean"
