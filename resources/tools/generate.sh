#!/usr/bin/env bash
# Redraws every image under resources/ from drawartwork.cpp. Needs qt6-base-dev and, for the
# animated logo, ImageMagick's convert (Debian package imagemagick). Run from anywhere.
set -euo pipefail

tools=$(cd "$(dirname "$0")" && pwd)
resources=$(dirname "$tools")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S "$tools" -B "$work/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/build" >/dev/null
QT_QPA_PLATFORM=offscreen "$work/build/drawartwork" "$resources" "$work/frames"

# 8/100 s a frame; the frames share their transparent corners, so each may simply replace
# the last. -layers Optimize keeps the file small by storing only what changes.
convert -delay 8 -loop 0 -dispose background "$work"/frames/frame_*.png \
    -layers Optimize "$resources/logo_animated.gif"
echo "artwork written to $resources"
