#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: with_xvfb.sh COMMAND [ARG...]
# Runs COMMAND with DISPLAY set to a virtual X server of its own and stops
# that server afterwards however COMMAND ends. Exits with COMMAND's status.
#
# Xvfb chooses the display number itself (-displayfd): it takes the first
# number whose lock file and sockets it can claim, and writes that number only
# once it accepts connections. So the number is one nobody else serves, even a
# server whose lock files live in another file system (a container sharing the
# network namespace and so the abstract socket), and no probe is needed that
# could mistake such a server for ours.
set -euo pipefail

if [ $# -eq 0 ]; then
    echo "usage: with_xvfb.sh COMMAND [ARG...]" >&2
    exit 2
fi

# Big enough for the 600x600 window at (100, 100); 24-bit so that colours
# read back exactly as drawn.
screen="${XVFB_SCREEN:-1280x1024x24}"
# Generous: a loaded machine may take a while to start a server.
start_timeout="${XVFB_START_TIMEOUT:-30}"

server_pid=""
work_dir=$(mktemp -d "${TMPDIR:-/tmp}/with_xvfb.XXXXXX")

stop_server() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
        server_pid=""
    fi
    rm -rf "$work_dir"
}
trap stop_server EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

display_file="$work_dir/display"
log_file="$work_dir/xvfb.log"
: >"$display_file"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset \
    3>"$display_file" </dev/null >"$log_file" 2>&1 &
server_pid=$!

# The number arrives as one line; read fails on a line without its newline
# yet, and the loop waits for the rest.
display=""
deadline=$((SECONDS + start_timeout))
while [ -z "$display" ]; do
    if ! kill -0 "$server_pid" 2>/dev/null; then
        wait "$server_pid" 2>/dev/null || true
        server_pid=""
        echo "with_xvfb: Xvfb exited before it was ready:" >&2
        cat "$log_file" >&2
        exit 1
    fi
    if [ $SECONDS -ge $deadline ]; then
        echo "with_xvfb: Xvfb did not report a display within ${start_timeout} s" >&2
        cat "$log_file" >&2
        exit 1
    fi
    if IFS= read -r line <"$display_file" && [[ "$line" =~ ^[0-9]+$ ]]; then
        display=":$line"
    else
        sleep 0.05
    fi
done

# Not exec: the EXIT trap must still run to stop the server.
status=0
DISPLAY="$display" "$@" || status=$?
exit "$status"
