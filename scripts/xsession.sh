#!/usr/bin/env bash
# Runs a command on a private virtual X display (1920x1080) managed by openbox, then ends both.
# Usage: xsession.sh COMMAND [ARG...]; exits with the command's status.
set -euo pipefail

workdir=$(mktemp -d)
xvfb_pid=
openbox_pid=
cleanup() {
    [[ -n $openbox_pid ]] && kill "$openbox_pid" 2>/dev/null && wait "$openbox_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$workdir"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to the pipe.
mkfifo "$workdir/displayfd"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$workdir/displayfd" \
    >"$workdir/xvfb.log" 2>&1 &
xvfb_pid=$!
if ! read -r -t 20 display_number <"$workdir/displayfd"; then
    echo "xsession: Xvfb did not start" >&2
    cat "$workdir/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$display_number"

openbox --sm-disable >"$workdir/openbox.log" 2>&1 &
openbox_pid=$!
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    echo "xsession: openbox did not start" >&2
    exit 1
fi

unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
status=0
"$@" || status=$?
exit "$status"
