#!/usr/bin/env bash
# Usage: run_headless.sh BINARY
# Shows the toy working on a machine with no screen: runs it on a virtual X
# server for a few seconds, saves a screenshot of its window, then quits it
# with the Q key as a user would.
#   RUN_SECONDS     how long it runs before the screenshot (default 3)
#   SCREENSHOT      where the screenshot goes (default screenshots/ballcourse.png)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
if [ "${1:-}" != "--on-display" ]; then
    exec bash "$here/with_xvfb.sh" bash "$here/run_headless.sh" --on-display "$@"
fi
shift
binary="$1"
shot="${SCREENSHOT:-screenshots/ballcourse.png}"
mkdir -p "$(dirname "$shot")"

"$binary" &
pid=$!
# Whatever happens below, the toy does not outlive this script.
trap 'kill -KILL "$pid" 2>/dev/null || true' EXIT

window=""
deadline=$((SECONDS + 20))
while [ -z "$window" ]; do
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "run_headless: ballcourse exited before opening its window" >&2
        exit 1
    fi
    if [ $SECONDS -ge $deadline ]; then
        echo "run_headless: no window titled \"My Window\" after 20 s" >&2
        exit 1
    fi
    sleep 0.2
    # Its own X server holds no other window of that name.
    window=$(xdotool search --onlyvisible --name '^My Window$' 2>/dev/null | head -n 1 || true)
done

sleep "${RUN_SECONDS:-3}"
# The ball has long fallen out of view by now: put it back at the top, and
# take the picture while it falls through the middle of the window.
timeout 5 xdotool windowfocus --sync "$window" || true
xdotool key r
sleep 0.8
import -window "$window" "$shot"
echo "Screenshot of the running toy: $(realpath "$shot")"

xdotool key q
deadline=$((SECONDS + 5))
while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
    sleep 0.1
done
status=0
if kill -0 "$pid" 2>/dev/null; then
    echo "run_headless: ballcourse did not quit on Q; killing it" >&2
    kill -KILL "$pid"
fi
wait "$pid" || status=$?
echo "ballcourse ended with status $status"
exit "$status"
