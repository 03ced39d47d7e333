#!/bin/sh
# Draws the two animated pictures of the about box with ImageMagick and writes them into
# data/: "apropos_gauche.gif", a trace running across a small screen, and
# "apropos_droite.gif", the bars of a spectrum rising and falling. 63 x 64, looping.
# Usage: tools/datagen/about_gifs.sh
set -eu
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
frames=16

screen() { # the face shared by both pictures: a dark screen with its graticule
    convert -size 63x64 xc:'#1a1a1a' -fill '#0b2a12' -stroke '#6b6b6b' \
        -draw 'roundrectangle 2,2 60,61 6,6' -stroke '#1f5a2a' -fill none \
        -draw 'line 6,32 56,32' -draw 'line 31,8 31,56' \
        -draw 'line 6,16 56,16' -draw 'line 6,48 56,48' \
        -draw 'line 18,8 18,56' -draw 'line 44,8 44,56' "$1"
}

screen "$work/face.png"
i=0
while [ $i -lt $frames ]; do
    n=$(printf '%02d' $i)
    # A sine whose phase advances by a sixteenth of a turn per frame.
    points=$(awk -v f=$i -v n=$frames 'BEGIN {
        for (x = 6; x <= 56; x++) {
            y = 32 - 18 * sin(2 * 3.14159265 * ((x - 6) / 25.0 - f / n));
            printf "%d,%d ", x, y }}')
    convert "$work/face.png" -stroke '#5dff6a' -strokewidth 2 -fill none \
        -draw "polyline $points" "$work/left$n.png"
    # Seven bars: the fundamental and its harmonics, breathing with the frame.
    bars=$(awk -v f=$i -v n=$frames 'BEGIN {
        for (k = 0; k < 7; k++) {
            h = 44 / (k + 1) * (0.75 + 0.25 * sin(2 * 3.14159265 * (f / n + k / 7.0)));
            x = 8 + k * 7;
            printf "-draw \"rectangle %d,%d %d,56\" ", x, 56 - h, x + 4 }}')
    eval convert "\"$work/face.png\"" -stroke none -fill "'#ffd54a'" $bars "\"$work/right$n.png\""
    i=$((i + 1))
done
convert -delay 8 -loop 0 "$work"/left*.png -layers Optimize "$repo/data/apropos_gauche.gif"
convert -delay 8 -loop 0 "$work"/right*.png -layers Optimize "$repo/data/apropos_droite.gif"
