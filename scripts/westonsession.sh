#!/usr/bin/env bash
# Runs a command against a private headless Wayland compositor (weston), then ends it.
# Usage: westonsession.sh COMMAND [ARG...]; exits with the command's status.
set -euo pipefail

runtime=$(mktemp -d)
chmod 700 "$runtime"
weston_pid=
cleanup() {
    [[ -n $weston_pid ]] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null
    rm -rf "$runtime"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$runtime
weston --backend=headless-backend.so --socket=wayland-velmoran --idle-time=0 --no-config \
    --width=1920 --height=1080 >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
    [[ -S $runtime/wayland-velmoran ]] && break
    sleep 0.1
done
if [[ ! -S $runtime/wayland-velmoran ]]; then
    echo "westonsession: weston did not start" >&2
    cat "$runtime/weston.log" >&2
    exit 1
fi

unset DISPLAY
export WAYLAND_DISPLAY=wayland-velmoran QT_QPA_PLATFORM=wayland
status=0
"$@" || status=$?
exit "$status"
