#!/usr/bin/env bash
# Builds Velmoran and runs it. Without a display it runs on a virtual one for a few seconds
# instead, and saves a screenshot of that screen.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=packages.sh
source "$root/scripts/packages.sh"

if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
    "$root/scripts/deps.sh" "${build_packages[@]}" fontconfig
    # The menu and the text dialogs are Japanese: without a font for them they show empty boxes.
    [[ -n $(fc-list :lang=ja) ]] || "$root/scripts/deps.sh" fonts-vlgothic
    "$root/scripts/build.sh" -DBUILD_TESTING=OFF # the program alone
    exec "$root/build/src/Velmoran"
fi

"$root/scripts/deps.sh" "${build_packages[@]}" "${display_packages[@]}"
"$root/scripts/build.sh" -DBUILD_TESTING=OFF # the program alone
exec "$root/scripts/session.sh" x "$root/scripts/screenshot.sh" "$root/build/src/Velmoran" \
    "$root/build/velmoran-screenshot.png"
