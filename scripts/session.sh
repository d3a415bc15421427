#!/usr/bin/env bash
# Runs a command in a private, headless desktop session, then ends the session:
#   x       a virtual X display (1920x1080) managed by openbox;
#   ratpoison, xmonad, spectrwm
#           the same display managed by that window manager instead: ratpoison keeps windows
#           where it puts them, xmonad grants no full screen, spectrwm tiles them;
#   gnome   a GNOME Wayland session: mutter with XWayland, in a D-Bus session of its own;
#   weston  a Wayland compositor without XWayland.
# The kind is exported as VELMORAN_SESSION.
# Usage: session.sh KIND COMMAND [ARG...]; exits with the command's status.
set -euo pipefail
kind=$1
shift

runtime=$(mktemp -d)
chmod 700 "$runtime"
pids=()
# Ends the services, the last started first.
stop_services() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        # xmonad ends by the signal itself, with a status that is no failure of the session's.
        kill "${pids[i]}" 2>/dev/null && { wait "${pids[i]}" 2>/dev/null || true; }
    done
    pids=()
}
cleanup() {
    stop_services
    rm -rf "$runtime"
}
trap cleanup EXIT

# Starts a service in the background, its output in the runtime folder under its name.
start() {
    local name=$1
    shift
    "$@" >"$runtime/$name.log" 2>&1 &
    pids+=($!)
}

# Polls a service's condition for up to ten seconds; if it never holds, says which service did
# not start, with the logs of all.
expect() {
    local name=$1
    shift
    for _ in $(seq 100); do
        "$@" && return 0
        sleep 0.1
    done
    echo "session: $name did not start" >&2
    tail -n +1 "$runtime"/*.log >&2
    return 1
}

# Starts a virtual X display and the window manager KIND on it; fails if either does not answer.
start_x() {
    local kind=$1 wm=("$1")
    # Xvfb picks a free display itself and writes its number to the file.
    start xvfb Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$runtime/display"
    expect xvfb test -s "$runtime/display" || return 1
    DISPLAY=:$(<"$runtime/display")
    export DISPLAY QT_QPA_PLATFORM=xcb
    expect xvfb eval 'xprop -root >/dev/null 2>&1' || return 1
    [[ $kind == x ]] && wm=(openbox --sm-disable)
    start "$kind" "${wm[@]}"
    # xmonad says nothing on the root window, and takes over the windows already shown as it starts.
    [[ $kind == xmonad ]] && return 0
    expect "$kind" eval 'xprop -root _NET_SUPPORTED 2>/dev/null | grep -q ATOM' || return 1
}

export XDG_RUNTIME_DIR=$runtime
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY QT_QPA_PLATFORM
case $kind in
x | ratpoison | xmonad | spectrwm)
    # Once in a CI run the window manager found no display that Xvfb had just announced; start
    # the two afresh rather than fail a test that never ran.
    for attempt in 1 2 3; do
        start_x "$kind" && break
        stop_services
        ((attempt < 3)) || exit 1
        echo "session: starting $kind again" >&2
    done
    ;;
gnome)
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$runtime/bus
    start dbus dbus-daemon --session --nofork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS"
    expect dbus test -S "$runtime/bus" || exit 1
    start mutter mutter --wayland --headless --virtual-monitor 1920x1080 \
        --wayland-display=wayland-velmoran
    expect mutter eval 'test -S "$runtime/wayland-velmoran" &&
        grep -q "Using public X11 display" "$runtime/mutter.log"' || exit 1
    DISPLAY=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$runtime/mutter.log")
    XAUTHORITY=$(find "$runtime" -maxdepth 1 -name '.mutter-Xwaylandauth.*' | head -n1)
    export DISPLAY XAUTHORITY WAYLAND_DISPLAY=wayland-velmoran XDG_SESSION_TYPE=wayland
    ;;
weston)
    start weston weston --backend=headless-backend.so --socket=wayland-velmoran --idle-time=0 \
        --no-config --width=1920 --height=1080
    expect weston test -S "$runtime/wayland-velmoran" || exit 1
    export WAYLAND_DISPLAY=wayland-velmoran QT_QPA_PLATFORM=wayland
    ;;
*)
    echo "Usage: session.sh x|ratpoison|xmonad|spectrwm|gnome|weston COMMAND [ARG...]" >&2
    exit 2
    ;;
esac

export VELMORAN_SESSION=$kind
status=0
"$@" || status=$?
exit "$status"
