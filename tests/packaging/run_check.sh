#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `make run` without a display (scripts/run.sh): with files it converts them with quillet-cli and
# the default profile; without any it first makes its sample clip beside the program folder and
# converts that. The program folder is a linked copy of the build's, so the sample and the
# default output folder are made here, not in the build tree.
#   run_check.sh SOURCE_DIR BUILD_DIR WORK_DIR
set -uo pipefail
source_dir=$1 build=$2 work=$3
source "$(dirname "$0")/checks.sh"

rm -rf "$work" && mkdir -p "$work"
cp -al "$build/bin" "$work/bin"
make_clip "$work/my clip.avi"
headless=(env -u DISPLAY -u WAYLAND_DISPLAY QUILLET_SETTINGS_DIR="$work/settings" HOME="$work/home")

# listed_outputs TEXT: the output paths run.sh lists after "the output is in:".
listed_outputs()
{
    sed -n '/the output is in:$/,$p' <<<"$1" | sed '1d;s/^  //'
}
# video_codec FILE: the codec of the first video stream, empty when there is none.
video_codec()
{
    ffprobe -v error -select_streams v:0 -show_entries stream=codec_name -of csv=p=0 "$1"
}

said=$("${headless[@]}" "$source_dir/scripts/run.sh" "$work/bin" "$work/my clip.avi" 2>"$work/given.log")
same "run.sh with a file and no display exits 0" 0 "$?"
check "it says it converts with quillet-cli" grep -q "converting with quillet-cli" <<<"$said"
same "it lists the converted file" "$work/bin/output/my clip.mp4" "$(listed_outputs "$said")"
same "the converted file has the default profile's video" h264 "$(video_codec "$work/bin/output/my clip.mp4")"

said=$("${headless[@]}" "$source_dir/scripts/run.sh" "$work/bin" 2>"$work/sample.log")
same "run.sh without files and no display exits 0" 0 "$?"
check "it makes its sample clip beside the program folder" test -s "$work/sample/sample clip.mp4"
same "it lists the converted sample" "$work/bin/output/sample clip.mp4" "$(listed_outputs "$said")"
same "the converted sample has the default profile's video" h264 "$(video_codec "$work/bin/output/sample clip.mp4")"
finish
