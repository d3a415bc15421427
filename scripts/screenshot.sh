#!/usr/bin/env bash
# Runs a program on the current X display for a few seconds, saves a PNG of the whole screen,
# then closes the program as a user would. Usage: screenshot.sh PROGRAM OUTPUT.png
set -euo pipefail
program=$1
output=$2

"$program" &
pid=$!
finish() {
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    return 0
}
trap finish EXIT

window=
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^Velmoran$' 2>/dev/null | head -n1 || true)
    [[ -n $window ]] && break
    sleep 0.1
done
if [[ -z $window ]]; then
    echo "screenshot: no Velmoran window appeared" >&2
    exit 1
fi

sleep 3
import -window root "$output"
wmctrl -i -c "$window"
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
echo "Velmoran ran on a virtual display; screenshot saved to $output"
