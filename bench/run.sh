#!/usr/bin/env bash
# Benchmarks Velmoran against bare Qt programs: start-up, CPU, memory, motion rate and counter
# drift on a private 1920x1080 Xvfb with openbox, then the instruction count of one bounce step
# and one render under callgrind, then what a render costs as the screen shows it, in the window
# and in full screen, then what a text's images cost as it is first shown. Options go to the
# driver, e.g. --rounds 3 --drift 0.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=../scripts/packages.sh
source "$root/scripts/packages.sh"

"$root/scripts/deps.sh" "${build_packages[@]}" "${display_packages[@]}" "${test_packages[@]}" \
    valgrind
build=$root/build
"$root/scripts/build.sh"

echo "Velmoran against the bare programs ($(nproc) cores, $(date -u +%F)):"
"$root/scripts/session.sh" x "$build/bench/velmoranbench" "$@"

echo
echo "Instructions per call (callgrind), offscreen:"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME=$home XDG_CONFIG_HOME=$home/.config QT_QPA_PLATFORM=offscreen \
    timeout 600 "$build/bench/tst_stepcost" -callgrind -iterations 1000 2>/dev/null |
    grep -E '^(RESULT|     )' | paste - - | sed -E 's/ +/ /g'

echo
echo "A render laid out and painted, milliseconds of wall time, offscreen at 1920x1080:"
HOME=$home XDG_CONFIG_HOME=$home/.config \
    QT_QPA_PLATFORM=offscreen:configfile=$root/tests/offscreen.json \
    timeout 600 "$build/bench/tst_rendercost" 2>/dev/null |
    grep -E '^(RESULT|     )' | paste - - | sed -E 's/ +/ /g'

echo
echo "A text's first show, milliseconds of wall time, offscreen:"
HOME=$home XDG_CONFIG_HOME=$home/.config QT_QPA_PLATFORM=offscreen \
    timeout 600 "$build/bench/tst_firstshow" 2>/dev/null |
    grep -E '^(RESULT|     )' | paste - - | sed -E 's/ +/ /g'
