#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: play_demo.sh BINARY [OUTDIR]
# Plays a short scripted session on the real toy through real X input and
# records it: a curved ramp and two blocks are taken from the palettes,
# carried into place with the mouse and turned with the X key and a right
# drag; then the ball is dropped and single-stepped with O, one frame
# captured per tick, until it has come to rest. The session is the user
# scenario tests/scenarios/demo_course.scenario, which the end-to-end tests
# play too (and check what it should show: this script leaves its
# expectations to them). Writes
#   OUTDIR/ballcourse.gif   the animation (ImageMagick assembles it)
#   OUTDIR/ballcourse.png   the finished course with both palettes
# OUTDIR defaults to screenshots/. Without --on-display it runs on a virtual
# X server of its own (with_xvfb.sh). The toy's own output (the command
# help) passes through.
#   DEMO_MAX_TICKS   give up stepping after this many ticks (default 400)
#   DEMO_SCENARIO    the scenario to play (default the demo course)
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
scenario="${DEMO_SCENARIO:-$here/../tests/scenarios/demo_course.scenario}"
[ -r "$scenario" ] || { echo "play_demo: cannot read $scenario" >&2; exit 1; }
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
# A drag with BUTTON held through the window pixels (x0, y0), (x1, y1), ...
# along straight lines, in motion events about STEP pixels apart: with the
# right button each event turns the carried piece by the whole degrees
# between the last two sphere points, so steps of fewer than about 6 pixels
# would turn nothing. The tests' drivers move along the same pixels.
drag() {  # drag BUTTON STEP X0 Y0 X1 Y1 ...
    local button=$1 step=$2 x y tx ty n i
    shift 2
    x=$1 y=$2
    shift 2
    move "$x" "$y"
    xdotool mousedown "$button"
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
    xdotool mouseup "$button"
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

# Steps the ball tick by tick, one frame captured per tick, until it has come
# to rest; leaves the number of ticks in n. Each O is sent only once the
# previous step has shown, so no two requests fall between the same two ticks
# (they would merge into one step). A step that changes nothing (the first
# from rest, or the ball at rest) shows no change; 0.3 s is fifteen ticks,
# ample for it.
step_until_still() {
    local next unchanged=0 moved=0
    wait_until_still "$frames/f0000.ppm"
    n=0
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
}

# Plays the scenario's steps in order. Pointer steps and keys go to the toy
# as the tests' drivers send them; `step until still` records the frames;
# the expectations are the tests' to check, except that the toy must end.
n=-1
line_number=0
mapfile -t lines <"$scenario"
for line in "${lines[@]}"; do
    line_number=$((line_number + 1))
    read -r -a words <<<"${line%%#*}"
    [ ${#words[@]} -gt 0 ] || continue
    where="$scenario:$line_number: ${words[*]}"
    case "${words[0]} ${words[1]:-}" in
    "move "*) move "${words[1]}" "${words[2]}" ;;
    "click "*) click 1 "${words[1]}" "${words[2]}" ;;
    "drag left" | "drag right")
        button=1
        [ "${words[1]}" = left ] || button=3
        # drag BUTTON X Y to X Y [to X Y ...] by N
        points=("${words[2]}" "${words[3]}")
        i=4
        while [ "${words[i]:-}" = to ]; do
            points+=("${words[i + 1]}" "${words[i + 2]}")
            i=$((i + 3))
        done
        [ "${words[i]:-}" = by ] || fail "$where: a drag ends with \"by N\""
        drag "$button" "${words[i + 1]}" "${points[@]}"
        ;;
    "key "*) press_key "${words[1]}" "${words[2]:-1}" ;;
    "keydown "*) xdotool keydown "${words[1]}" ;;
    "keyup "*) xdotool keyup "${words[1]}" ;;
    "step until") step_until_still ;;
    "expect ended") wait_for_toy_exit "$pid" ;;
    "expect "* | "snapshot "*) ;;
    *) fail "$where: not a step this script plays" ;;
    esac
done
[ $n -ge 0 ] || fail "$scenario records nothing: it has no \"step until still\""
if kill -0 "$pid" 2>/dev/null; then
    xdotool key q
    wait_for_toy_exit "$pid"
fi

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
