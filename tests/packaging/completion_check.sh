#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the installed bash completion of quillet-cli the way bash does on Tab: the command line
# split into words at bash's word breaks (COMP_WORDS), the word being completed (COMP_CWORD),
# the line and the cursor. The profiles come from the installed quillet-cli, through its link.
#   completion_check.sh PREFIX WORK_DIR
set -uo pipefail
prefix=$1 work=$2
source "$(dirname "$0")/checks.sh"
rm -rf "$work" && mkdir -p "$work/films/2019" "$work/films/2020"
touch "$work/films/fly.avi"

export QUILLET_SETTINGS_DIR=$work/settings
program=$prefix/bin/quillet-cli

# complete LINE WORD...: the replies for LINE, one a line, sorted; the cursor is at its end and
# WORD... are bash's words of it (the last one being completed).
complete()
{
    local line=$1
    shift
    bash -c '
        source /usr/share/bash-completion/bash_completion
        source "$1"
        COMP_LINE=$2 COMP_POINT=${#2}
        shift 2
        COMP_WORDS=("$@")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        _comp_quillet_cli quillet-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}"' \
        completion "$prefix/share/bash-completion/completions/quillet-cli" "$line" "$@" | sort
}

# A profile: bash breaks the word at ':'; the replies are what follows it, quoted.
same "a profile name is completed after its file" \
    'iPad\ Video\ H.264\ \(1024x768\)
iPad\ Video\ H.264\ \(1024x768\)\,\ add\ to\ library' \
    "$(complete "$program -p ipadh264.ini:iPad\\ Video\\ H.264\\ \\(1" \
        "$program" -p ipadh264.ini : 'iPad\ Video\ H.264\ \(1')"
same "the --profile=VALUE form is completed too" 'wavc.ini:WAV\ Audio' \
    "$(complete "$program --profile=wav" "$program" --profile = wav)"
# Inside an opened quote bash breaks no word and the reply goes inside the quote unescaped.
same "a name begun with a quote is completed inside it" 'mp3c.ini:MP3 Audio, high quality' \
    "$(complete "$program -p \"mp3c.ini:MP3 Audio, h" "$program" -p '"mp3c.ini:MP3 Audio, h')"
same "with nothing typed every profile is offered" \
    "$("$program" --list-profiles | wc -l)" "$(complete "$program -p " "$program" -p '' | wc -l)"
complete "$program -p \$(touch $work/ran)" "$program" -p "\$(touch $work/ran)" >/dev/null
check "typed text is never run" test ! -e "$work/ran"

same "disc sizes for --split" 'DVD-5\ \(4.7GB\)
DVD-9\ \(8.5GB\)' "$(complete "$program --split DV" "$program" --split DV)"
same "options" '--split
--split-size' "$(complete "$program --sp" "$program" --sp)"
same "only folders for --output" "$work/films/2019
$work/films/2020" "$(complete "$program -o $work/films/20" "$program" -o "$work/films/20")"
same "files and folders as arguments" "$work/films/2019
$work/films/2020
$work/films/fly.avi" "$(complete "$program $work/films/" "$program" "$work/films/")"
finish
