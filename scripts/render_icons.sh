#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: render_icons.sh BINARY [DATADIR [SIZE...]]
# Renders the program's icon from the program itself: plays the scripted
# course (play_demo.sh) and cuts the ramp, the blocks and the ball at rest out
# of its last frame, on a transparent background, at the sizes the hicolor
# icon theme asks for (48, 128 and 256 unless SIZEs are given). Writes
# DATADIR/icons/hicolor/NxN/apps/ballcourse.png (DATADIR defaults to data/).
# The icons are committed; run this again only when the look of the pieces
# changes: `render_icons.sh BINARY` for the desktop's, and
# `render_icons.sh BINARY web 192 512` for the browser app's.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
binary="$1"
datadir="${2:-data}"
sizes=("${@:3}")
[ ${#sizes[@]} -gt 0 ] || sizes=(48 128 256)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

bash "$here/play_demo.sh" "$binary" "$work" >/dev/null

# Right of the palettes the frame holds only the course on white: trim to
# it, then centre it on a square with a small margin.
convert "$work/ballcourse.png" -crop 480x600+120+0 +repage -trim +repage "$work/course.png"
read -r width height < <(identify -format '%w %h\n' "$work/course.png")
side=$(((width > height ? width : height) * 21 / 20))
convert "$work/course.png" -background white -gravity center -extent "${side}x${side}" \
    -transparent white "$work/square.png"

for size in "${sizes[@]}"; do
    dir="$datadir/icons/hicolor/${size}x${size}/apps"
    mkdir -p "$dir"
    convert "$work/square.png" -resize "${size}x${size}" -strip \
        -define png:exclude-chunks=date,time "$dir/ballcourse.png"
    echo "render_icons: $dir/ballcourse.png"
done
