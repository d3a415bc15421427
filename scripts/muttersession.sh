#!/usr/bin/env bash
# Runs a command in a private headless GNOME Wayland session (mutter with XWayland, in a D-Bus
# session of its own), then ends it. The command gets the session's environment.
# Usage: muttersession.sh COMMAND [ARG...]; exits with the command's status.
set -euo pipefail

runtime=$(mktemp -d)
chmod 700 "$runtime"
bus_pid=
mutter_pid=
cleanup() {
    [[ -n $mutter_pid ]] && kill "$mutter_pid" 2>/dev/null && wait "$mutter_pid" 2>/dev/null
    [[ -n $bus_pid ]] && kill "$bus_pid" 2>/dev/null && wait "$bus_pid" 2>/dev/null
    rm -rf "$runtime"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$runtime
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY QT_QPA_PLATFORM

dbus-daemon --session --nofork --nopidfile --address="unix:path=$runtime/bus" \
    >"$runtime/dbus.log" 2>&1 &
bus_pid=$!
export DBUS_SESSION_BUS_ADDRESS=unix:path=$runtime/bus
for _ in $(seq 100); do
    [[ -S $runtime/bus ]] && break
    sleep 0.1
done

mutter --wayland --headless --virtual-monitor 1920x1080 --wayland-display=wayland-velmoran \
    >"$runtime/mutter.log" 2>&1 &
mutter_pid=$!
display=
for _ in $(seq 200); do
    display=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$runtime/mutter.log")
    [[ -n $display && -S $runtime/wayland-velmoran ]] && break
    sleep 0.1
done
if [[ -z $display || ! -S $runtime/wayland-velmoran ]]; then
    echo "muttersession: mutter did not start with XWayland" >&2
    cat "$runtime/mutter.log" >&2
    exit 1
fi

export WAYLAND_DISPLAY=wayland-velmoran DISPLAY=$display XDG_SESSION_TYPE=wayland
XAUTHORITY=$(find "$runtime" -maxdepth 1 -name '.mutter-Xwaylandauth.*' | head -n1)
export XAUTHORITY
status=0
"$@" || status=$?
exit "$status"
