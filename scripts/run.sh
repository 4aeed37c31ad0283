#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The main job: quillet with media in its task list. Without files it first makes a short sample
# clip (a test picture with a tone) and uses that.
#   scripts/run.sh PROGRAM_FOLDER [FILE...]
# With a display (DISPLAY or WAYLAND_DISPLAY set) the window opens with the files in its task
# list; without one the files are converted with quillet-cli and the default profile.
set -euo pipefail
bin="$1"
shift

files=("$@")
if [ ${#files[@]} -eq 0 ]; then
    sample_dir="$(cd "$bin/.." && pwd)/sample"
    mkdir -p "$sample_dir"
    sample="$sample_dir/sample clip.mp4"
    if [ ! -f "$sample" ]; then
        echo "Making a 10-second sample clip: $sample"
        ffmpeg -nostdin -hide_banner -loglevel error -y \
            -f lavfi -i "testsrc2=size=1280x720:rate=25:duration=10" \
            -f lavfi -i "sine=frequency=440:duration=10" \
            -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest "$sample"
    fi
    files=("$sample")
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting quillet with ${#files[@]} file(s) in its task list; press Convert to convert."
    exec "$bin/quillet" "${files[@]}"
fi

echo "No display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set):"
echo "converting with quillet-cli and the default profile instead."
outputs=$("$bin/quillet-cli" "${files[@]}") || status=$?
status=${status:-0}
if [ -n "$outputs" ]; then
    echo
    echo "Converted with the default profile; the output is in:"
    while IFS= read -r line; do echo "  $line"; done <<<"$outputs"
fi
exit "$status"
