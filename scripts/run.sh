#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The main job: converts media with quillet's default profile. Without files it first makes a
# short sample clip (a test picture with a tone) and converts that.
#   scripts/run.sh PROGRAM_FOLDER [FILE...]
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

outputs=$("$bin/quillet-cli" "${files[@]}") || status=$?
status=${status:-0}
if [ -n "$outputs" ]; then
    echo
    echo "Converted with the default profile; the output is in:"
    while IFS= read -r line; do echo "  $line"; done <<<"$outputs"
fi
exit "$status"
