#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Photographs the current windows for the README and the AppStream file: builds the window
# photographer, runs it under Xvfb, copies the English pictures of the main window with three
# tasks, the option sheet's video page and the Subtitles dialog into docs/screenshots/, and
# writes their sizes into the metainfo file's <image> elements.
#   scripts/refresh-screenshots.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target quillet_window_shots
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
    "$build/tests/quillet_window_shots" "$shots" >/dev/null
metainfo=$root/packaging/desktop/org.example.quillet.metainfo.xml
while read -r shot name; do
    cp "$shots/$shot.png" "$root/docs/screenshots/$name.png"
    read -r width height < <(file -b "$shots/$shot.png" | sed -n 's/^PNG image data, \([0-9]*\) x \([0-9]*\),.*/\1 \2/p')
    # The <image> line that names this picture gets its size.
    sed -i "/screenshots\/$name\.png</s/width=\"[^\"]*\" height=\"[^\"]*\"/width=\"$width\" height=\"$height\"/" "$metainfo"
    echo "docs/screenshots/$name.png: $width x $height"
done <<'LIST'
three-tasks-en main-window
sheet-video-en option-sheet
subtitles-en subtitles
LIST
