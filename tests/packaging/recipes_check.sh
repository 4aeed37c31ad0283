#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the README's recipes for large collections, as they are written there (the text between
# <!-- recipe: NAME --> and <!-- /recipe -->), on a small generated collection: three clips, two
# of the same name in different folders and one with a blank in its name, and one file that is
# no media at all. The Slurm recipe runs its job array here, through a stand-in for sbatch that
# runs the tasks one after the other.
#   recipes_check.sh SOURCE_DIR BUILD_DIR WORK_DIR
set -uo pipefail
source_dir=$1 build=$2 work=$3
source "$(dirname "$0")/checks.sh"

recipe()
{
    sed -n "/^<!-- recipe: $1 -->\$/,/^<!-- \/recipe -->\$/p" "$source_dir/README.md" |
        sed '1d;$d' | sed '/^```/d'
}
for name in parallel slurm-submit slurm; do
    check "the README has the $name recipe" test -n "$(recipe "$name")"
done

rm -rf "$work" && mkdir -p "$work"
collection=$work/collection
make_clip "$collection/films/2019/trip.avi"
make_clip "$collection/films/2020/trip.avi" 2
make_clip "$collection/holiday clip.mkv"
# make_broken PATH: a file that is no media at all, the same bytes every run. Random bytes made
# the test flaky: now and then a demuxer takes some for a format it knows.
make_broken()
{
    yes 'this is no media file' | head -c 20000 >"$1"
}
make_broken "$collection/broken.mp4"

export PATH="$build/bin:$PATH" HOME=$work/home QUILLET_SETTINGS_DIR=$work/settings
export collection profile='ipadh264.ini:iPad Video H.264 (1024x768)'

# video_codec FILE: the codec of the first video stream, empty when there is none.
video_codec()
{
    ffprobe -v error -select_streams v:0 -show_entries stream=codec_name -of csv=p=0 "$1" 2>/dev/null
}
outputs_are_made()
{
    local out=$1
    same "$2: one output per clip, in the collection's folders" \
        "$out/films/2019/trip.mp4 h264
$out/films/2020/trip.mp4 h264
$out/holiday clip.mp4 h264" \
        "$(find "$out" -name '*.mp4' | sort | while read -r f; do echo "$f $(video_codec "$f")"; done)"
}

# GNU parallel.
export out=$work/out-parallel
(cd "$work" && bash -c "$(recipe parallel)") >"$work/parallel.txt" 2>&1
outputs_are_made "$out" "parallel"
# The job log's command line ends with the file, quoted for the shell: read it back with bash.
same "parallel: the job log holds each file's exit status" \
    "0 ./films/2019/trip.avi
0 ./films/2020/trip.avi
0 ./holiday clip.mkv
1 ./broken.mp4" \
    "$(tail -n +2 "$out/jobs.log" | while IFS=$'\t' read -r _ _ _ _ _ _ status _ command; do
        eval "set -- $command"
        echo "$status ${!#}"
    done | sort -t' ' -k1,1n -k2)"
same "parallel: the recipe lists the failed file" "1" \
    "$(grep -c 'broken.mp4' "$work/parallel.txt")"
check "parallel: messages are tagged with their file" grep -q '^./broken.mp4	quillet-cli: ' "$out/messages.log"

# A second attempt redoes only the failures: the broken file, now a clip.
rm "$collection/broken.mp4"
make_clip "$collection/broken.avi" && mv "$collection/broken.avi" "$collection/broken.mp4"
retry=$(sed -n 's/^`\([^`]*parallel --retry-failed [^`]*\)`.*/\1/p' "$source_dir/README.md")
check "the README says how to redo the failures" test -n "$retry"
touch "$work/before-retry"
(cd "$work" && bash -c "$retry") >>"$work/parallel.txt" 2>&1
same "parallel: the retry converts only the failed file" \
    "$out/broken.mp4 h264" \
    "$(find "$out" -newer "$work/before-retry" -name '*.mp4' | while read -r f; do echo "$f $(video_codec "$f")"; done)"
rm "$collection/broken.mp4"
make_broken "$collection/broken.mp4"

# Slurm.
export out=$work/out-slurm
mkdir -p "$work/bin"
recipe slurm >"$work/convert.sbatch"
cat >"$work/bin/sbatch" <<'STANDIN'
#!/usr/bin/env bash
# Stands in for sbatch: runs every task of --array=FIRST-LAST[%N] here, one after the other,
# each with its index in SLURM_ARRAY_TASK_ID, and its output in quillet-TASK.log.
range=
for argument; do [[ $argument == --array=* ]] && range=${argument#--array=}; done
range=${range%%%*}
script=${!#}
for ((task = ${range%-*}; task <= ${range#*-}; task++)); do
    SLURM_ARRAY_TASK_ID=$task bash "$script" >"quillet-$task.log" 2>&1
done
STANDIN
chmod +x "$work/bin/sbatch"
(cd "$work" && PATH="$work/bin:$PATH" bash -c "$(recipe slurm-submit)") >"$work/slurm.txt" 2>&1
outputs_are_made "$out" "slurm"
same "slurm: each task records its file's exit status" \
    "0	./films/2019/trip.avi
0	./films/2020/trip.avi
0	./holiday clip.mkv
1	./broken.mp4" \
    "$(cat "$out"/status/* | sort -t$'\t' -k1,1n -k2)"
# A task past the end of the list must not convert the whole collection.
(cd "$work" && offset=100 SLURM_ARRAY_TASK_ID=1 bash convert.sbatch) >"$work/past-end.txt" 2>&1
same "slurm: a task past the end of the list fails and converts nothing" \
    "2 3" "$? $(find "$out" -name '*.mp4' | wc -l)"
finish
