#!/usr/bin/env bash
# Usage: play_demo.sh BINARY [OUTDIR]
# Plays a short scripted session on the real toy through real X input and
# records it: a curved ramp and two blocks are taken from the palettes,
# carried into place with the mouse and turned with the X key and a right
# drag; then the ball is dropped and single-stepped with O, one frame
# captured per tick, until it has come to rest. Writes
#   OUTDIR/ballcourse.gif   the animation (ImageMagick assembles it)
#   OUTDIR/ballcourse.png   the finished course with both palettes
# OUTDIR defaults to screenshots/. Without --on-display it runs on a virtual
# X server of its own (with_xvfb.sh). The toy's own output (the command
# help) passes through.
#   DEMO_MAX_TICKS   give up stepping after this many ticks (default 400)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=toy_window.sh
source "$here/toy_window.sh"
if [ "${1:-}" != "--on-display" ]; then
    exec bash "$here/with_xvfb.sh" bash "$here/play_demo.sh" --on-display "$@"
fi
shift
binary="$1"
outdir="${2:-screenshots}"
max_ticks="${DEMO_MAX_TICKS:-400}"
mkdir -p "$outdir"
frames="$(mktemp -d)"

"$binary" &
pid=$!
# Whatever happens below, the toy does not outlive this script.
trap 'kill -KILL "$pid" 2>/dev/null || true; rm -rf "$frames"' EXIT

fail() {
    echo "play_demo: $*" >&2
    exit 1
}

wait_for_toy_window "$pid"

# Without a window manager nothing moves the focus, so it is given once;
# keys then go to the main window while the pointer is not over a palette.
deadline=$((SECONDS + 10))
until [ "$(xdotool getwindowfocus 2>/dev/null || true)" = "$window" ]; do
    [ $SECONDS -lt $deadline ] || fail "the toy's window does not take the focus"
    xdotool windowfocus "$window" 2>/dev/null || true
    sleep 0.1
done

# The window's pixels (palettes included) as a binary PPM.
capture() {
    import -window "$window" -depth 8 "ppm:$1"
}

# Pointer actions at window pixel (x, y), and keys. The X server hands these
# to the toy in the order they are sent and it handles them one at a time, so
# the course does not depend on timing; the short pauses only let the toy
# keep up.
move() {
    xdotool mousemove --window "$window" "$1" "$2"
    sleep 0.05
}
click() {  # click BUTTON X Y
    move "$2" "$3"
    xdotool click "$1"
    sleep 0.05
}
press_key() {  # press_key KEY [COUNT]
    local i
    for ((i = 0; i < ${2:-1}; i++)); do
        xdotool key "$1"
        sleep 0.03
    done
}
# A right drag through the window pixels (x0, y0), (x1, y1), ... along
# straight lines, in motion events about STEP pixels apart: each event turns
# the carried piece by the whole degrees between the last two sphere points,
# so steps of fewer than about 6 pixels would turn nothing.
right_drag() {  # right_drag STEP X0 Y0 X1 Y1 ...
    local step=$1 x y tx ty n i
    shift
    x=$1 y=$2
    shift 2
    move "$x" "$y"
    xdotool mousedown 3
    sleep 0.05
    while [ $# -ge 2 ]; do
        tx=$1 ty=$2
        shift 2
        n=$(((tx - x) * (tx - x) + (ty - y) * (ty - y)))
        n=$(awk -v d2="$n" -v s="$step" 'BEGIN { n = int(sqrt(d2) / s + 0.5); print (n < 1 ? 1 : n) }')
        for ((i = 1; i <= n; i++)); do
            move $((x + (tx - x) * i / n)) $((y + (ty - y) * i / n))
        done
        x=$tx y=$ty
    done
    xdotool mouseup 3
    sleep 0.05
}

now_ms() {
    echo $(($(date +%s%N) / 1000000))
}

# Waits until a new capture differs from $1, or for the given milliseconds;
# leaves the capture in $2. Returns 1 if nothing changed in time.
wait_for_change() {  # wait_for_change PREVIOUS NEXT MILLISECONDS
    local end=$(($(now_ms) + $3))
    while true; do
        capture "$2"
        cmp -s "$1" "$2" || return 0
        [ "$(now_ms)" -lt "$end" ] || return 1
        sleep 0.02
    done
}

# Waits until two captures 0.2 s (ten ticks) apart agree, and leaves the
# last in $1; fails if the picture still changes after ten seconds.
wait_until_still() {  # wait_until_still FILE
    local end=$(($(now_ms) + 10000))
    capture "$1"
    while wait_for_change "$1" "$1.next" 200; do
        mv "$1.next" "$1"
        [ "$(now_ms)" -lt "$end" ] || fail "the picture keeps changing; is the ball paused?"
    done
}

# Park the pointer away from the palettes and the course.
move 560 560
# Hold the ball and put it back at its start: from here on it moves only on O.
press_key p
press_key r
wait_until_still "$frames/empty.ppm"

# The placement plane is z = 0 seen from the camera at (0, 0, 4): window
# pixel (x, y) lands at ((x - 300) / 181.07, (299 - y) / 181.07) in world
# units. The ball falls from (0, 2, 0) along x = 0, that is column 300.

# The ramp: a curve is an arc of 72 degrees and radius 0.5 about its
# origin. Turned by -162 degrees it spans 198 to 270 degrees, a chute whose
# inside falls steeply on the left and runs out level at the bottom. Its
# origin at (0.3, 1.0) puts the ball's path across the chute, and its lowest
# block at (0.3, 0.5).
click 1 50 150
move 354 118
press_key x 54
click 1 354 118

# The floor: a block, left level, continuing the chute's run to the right.
# Its top is a little below the chute's lowest point so that the ball rolls
# onto it rather than into its end.
click 1 50 50
move 391 212
click 1 391 212

# The wall: a block stood upright at the far end of the floor with a right
# drag around the rim of the window. The trackball is centred on the window;
# points beyond its rim lie on the sphere's equator, so a drag there turns
# the piece about the viewing axis, here about a quarter turn anticlockwise.
click 1 50 50
right_drag 24 599 299 599 0 180 0
move 427 190
click 1 427 190

move 560 560
wait_until_still "$frames/course.ppm"
! cmp -s "$frames/empty.ppm" "$frames/course.ppm" || fail "no piece shows in the window"

# Step the ball tick by tick. Each O is sent only once the previous step has
# shown, so no two requests fall between the same two ticks (they would
# merge into one step). A step that changes nothing (the first from rest, or
# the ball at rest) shows no change; 0.3 s is fifteen ticks, ample for it.
cp "$frames/course.ppm" "$frames/f0000.ppm"
n=0
unchanged=0
moved=0
while [ $n -lt "$max_ticks" ] && { [ $moved -eq 0 ] || [ $unchanged -lt 15 ]; }; do
    next=$(printf '%s/f%04d.ppm' "$frames" $((n + 1)))
    xdotool key o
    if wait_for_change "$(printf '%s/f%04d.ppm' "$frames" $n)" "$next" 300; then
        unchanged=0
        moved=1
    else
        unchanged=$((unchanged + 1))
    fi
    n=$((n + 1))
done
[ $unchanged -ge 15 ] || fail "the ball was still moving after $n ticks"

xdotool key q
wait_for_toy_exit "$pid"

# The animation: the finished course held for a second, every tick in which
# something moved at the real rate of 50 ticks a second, then the ball at
# rest held for two seconds. Ticks that changed nothing (the ball still
# above the view, or at rest) are left out.
moving=()
previous="$frames/f0000.ppm"
for ((i = 1; i <= n; i++)); do
    frame=$(printf '%s/f%04d.ppm' "$frames" $i)
    if ! cmp -s "$previous" "$frame"; then
        moving+=("$frame")
    fi
    previous="$frame"
done
moving_ticks=${#moving[@]}
last="${moving[moving_ticks - 1]}"
unset 'moving[moving_ticks - 1]'
# The course and the palettes lie in the upper half of the window; the lower
# half stays empty and is left out of the animation.
convert -delay 100 "$frames/f0000.ppm" -delay 2 "${moving[@]}" -delay 200 "$last" \
    -crop 600x300+0+0 +repage -loop 0 -layers Optimize "$outdir/ballcourse.gif"
# No time stamps, so that the same session gives the same file.
convert "$last" -define png:exclude-chunks=date,time "$outdir/ballcourse.png"
echo "play_demo: $n ticks, $moving_ticks of them moving; the ball came to rest"
echo "Animation of the scripted course: $(realpath "$outdir/ballcourse.gif")"
echo "Screenshot of the finished course: $(realpath "$outdir/ballcourse.png")"
