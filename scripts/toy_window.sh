# SPDX-License-Identifier: MIT
# Sourced by the scripts that start the toy on an X display; the caller
# defines fail MESSAGE, which reports and exits.

# wait_for_toy_window PID: sets `window` to the toy's main window once it is
# visible; fails if the toy exits first or shows no window within 20 s. The
# X server is the script's own, so no other window has that name.
wait_for_toy_window() {
    local pid=$1 deadline=$((SECONDS + 20))
    window=""
    while [ -z "$window" ]; do
        kill -0 "$pid" 2>/dev/null || fail "ballcourse exited before opening its window"
        [ $SECONDS -lt $deadline ] || fail "no window titled \"My Window\" after 20 s"
        sleep 0.1
        window=$(xdotool search --onlyvisible --name '^My Window$' 2>/dev/null | head -n 1 || true)
    done
}

# wait_for_toy_exit PID: after Q, waits up to 5 s for the toy to end; fails
# unless it ends, and with status 0.
wait_for_toy_exit() {
    local pid=$1 deadline=$((SECONDS + 5)) status=0
    while kill -0 "$pid" 2>/dev/null; do
        [ $SECONDS -lt $deadline ] || fail "ballcourse did not quit on Q"
        sleep 0.1
    done
    wait "$pid" || status=$?
    [ $status -eq 0 ] || fail "ballcourse ended with status $status"
}
