#!/usr/bin/env bash
# Usage: with_xvfb.sh COMMAND [ARG...]
# Runs COMMAND with DISPLAY set to a virtual X server of its own, started on
# a free display number from :99 upward, and stops that server afterwards
# however COMMAND ends. Exits with COMMAND's status.
set -euo pipefail

# Big enough for the 600x600 window at (100, 100); 24-bit so that colours
# read back exactly as drawn.
screen="${XVFB_SCREEN:-1280x1024x24}"
server_pid=""

stop_server() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
        server_pid=""
    fi
}
trap stop_server EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A display is taken while a live process holds its lock file. A lock left by
# a dead server is stale: it is removed if we may, else the number is skipped.
display_is_free() {
    local n=$1 lock="/tmp/.X$1-lock" pid
    if [ -e "$lock" ]; then
        pid=$(tr -d ' \n' <"$lock" 2>/dev/null || true)
        if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
            return 1
        fi
        rm -f "$lock" "/tmp/.X11-unix/X$n" 2>/dev/null || return 1
        [ ! -e "$lock" ] || return 1
    fi
    # A socket without a lock may still belong to a live server elsewhere.
    [ ! -e "/tmp/.X11-unix/X$n" ] || rm -f "/tmp/.X11-unix/X$n" 2>/dev/null || return 1
}

# Starts Xvfb on :$1 and waits until it accepts connections. Fails if the
# server exits first (another one won the race for the number) or takes
# longer than ten seconds.
start_server() {
    local n=$1 deadline=$((SECONDS + 10))
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -noreset >/dev/null 2>&1 &
    server_pid=$!
    while [ $SECONDS -lt $deadline ]; do
        if ! kill -0 "$server_pid" 2>/dev/null; then
            wait "$server_pid" 2>/dev/null || true
            server_pid=""
            return 1
        fi
        if xdpyinfo -display ":$n" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    stop_server
    return 1
}

display=""
for n in $(seq 99 199); do
    if display_is_free "$n" && start_server "$n"; then
        display=":$n"
        break
    fi
done
if [ -z "$display" ]; then
    echo "with_xvfb: could not start Xvfb on any display from :99 to :199" >&2
    exit 1
fi

# Not exec: the EXIT trap must still run to stop the server.
status=0
DISPLAY="$display" "$@" || status=$?
exit "$status"
