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
