#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# quillet-cli against a shell loop over the ffmpeg program on the same batch: 16 clips of 2 to 4 s
# (1280x720 H.264 + AAC) to 640x480 H.264 (x264 defaults) + AAC 128 kbit/s, in pairs, in turn.
# A benchmark, never a test.
#
#   bench/batch/cli_batch.sh BUILD_DIR [RUNS] [WORK_DIR] [-- QUILLET-CLI OPTIONS]
#
# Prints each pair's wall times and ratio (quillet-cli / loop; below 1.00 quillet-cli is faster),
# then the medians. Every run's outputs are counted and their durations checked; a run that did
# not make all 16 ends the benchmark with status 1. The two commands are also written as
# WORK_DIR/quillet.sh and WORK_DIR/loop.sh, to time them with any other tool.
set -eu

build=$(cd "${1:?usage: cli_batch.sh BUILD_DIR [RUNS] [WORK_DIR] [-- OPTIONS]}" && pwd)
runs=${2:-5}
work=${3:-${TMPDIR:-/tmp}/quillet-cli-batch}
shift $(($# < 3 ? $# : 3))
[ "${1:-}" = "--" ] && shift
mkdir -p "$work/clips" "$work/settings"

i=0
while [ $i -lt 16 ]; do
    seconds=$((2 + i % 3))
    clip="$work/clips/clip$i.mp4"
    if [ ! -s "$clip" ]; then
        ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=1280x720:rate=25:duration=$seconds" \
            -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$seconds" -ac 2 \
            -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p -c:a aac -b:a 192k "$clip"
    fi
    i=$((i + 1))
done

# The profile: 640x480 H.264 at the encoder's own rate control, AAC 128 kbit/s, as ffmpeg below.
cat > "$work/batch.ini" <<'EOF'
[Batch 640x480]
TargetType=mp4
Para=
BeforePara=
bDisableAudio=0
bAudioCustomSampleRate=0
bAudioCustomBitRate=1
nAudioCustomBitRate=128.000000
nAudioChannel=2
cAudioCodec=aac
bDisableVideo=0
bVideoCustomFrameRate=0
bVideoCustomBitRate=1
nVideoCustomBitRate=0
cVideoCodec=h264
nVideoRiszeOption=9
nVideoCustomSizeX=640
nVideoCustomSizeY=480
EOF
profile=$(realpath --relative-to="$build/bin/ini" "$work/batch.ini")

cat > "$work/quillet.sh" <<EOF
#!/bin/sh
rm -rf "$work/out-q" && mkdir -p "$work/out-q"
QUILLET_SETTINGS_DIR="$work/settings" exec "$build/bin/quillet-cli" -p "$profile:Batch 640x480" \\
    -o "$work/out-q" $* "$work"/clips/*.mp4 >/dev/null 2>&1
EOF
cat > "$work/loop.sh" <<EOF
#!/bin/sh
rm -rf "$work/out-f" && mkdir -p "$work/out-f"
for clip in "$work"/clips/*.mp4; do
    name=\$(basename "\$clip" .mp4)
    ffmpeg -nostdin -v error -y -i "\$clip" -s 640x480 -aspect 16:9 -c:v libx264 \\
        -c:a aac -b:a 128k -ac 2 "$work/out-f/\$name.mp4" || exit 1
done
EOF
chmod +x "$work/quillet.sh" "$work/loop.sh"

now() { date +%s.%N; }

check() { # FOLDER: 16 outputs, each as long as its clip
    count=0
    for out in "$1"/*.mp4; do
        [ -e "$out" ] || break
        name=$(basename "$out" .mp4)
        expected=$((2 + ${name#clip} % 3))
        duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$out")
        if ! awk -v d="$duration" -v e="$expected" 'BEGIN { exit !(d > e - 0.15 && d < e + 0.15) }'; then
            echo "cli_batch: $out lasts $duration s, not $expected s" >&2
            exit 1
        fi
        count=$((count + 1))
    done
    if [ $count -ne 16 ]; then
        echo "cli_batch: $1 holds $count outputs, not 16" >&2
        exit 1
    fi
}

echo "$(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg); $runs pairs"
ratios=""
r=0
while [ $r -lt "$runs" ]; do
    start=$(now); "$work/quillet.sh" || { echo "cli_batch: quillet-cli failed" >&2; exit 1; }
    q=$(echo "$(now) - $start" | bc)
    check "$work/out-q"
    start=$(now); "$work/loop.sh" || { echo "cli_batch: the loop failed" >&2; exit 1; }
    f=$(echo "$(now) - $start" | bc)
    check "$work/out-f"
    ratio=$(echo "scale=3; $q / $f" | bc)
    printf 'pair %d: quillet-cli %.2f s, loop %.2f s, ratio %.3f\n' $((r + 1)) "$q" "$f" "$ratio"
    ratios="$ratios $ratio"
    r=$((r + 1))
done
echo "$ratios" | tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 }
    END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
          printf "median ratio %.3f (quillet-cli / loop; target at most 0.70)\n", m }'
