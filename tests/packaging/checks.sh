# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the packaging tests: each check prints one line; finish fails the test when any did.
failures=0

# check DESCRIPTION COMMAND...: runs the command, counts a failure when it fails.
check()
{
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}

# same DESCRIPTION EXPECTED ACTUAL: compares two texts, shows both when they differ.
same()
{
    if [[ $2 == "$3" ]]; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | sed 's/^/    /'
        failures=$((failures + 1))
    fi
}

finish()
{
    if ((failures)); then
        echo "$failures check(s) failed"
        exit 1
    fi
    echo "all checks passed"
}

# make_clip PATH [SECONDS]: a small clip with a test picture and a tone.
make_clip()
{
    local codec=(-c:v mpeg4 -c:a mp2)
    [[ $1 == *.mkv ]] && codec=(-c:v libx264 -preset ultrafast -c:a aac)
    mkdir -p "$(dirname "$1")"
    ffmpeg -v error -y -f lavfi -i "testsrc2=size=160x120:rate=25:duration=${2:-1}" \
        -f lavfi -i "sine=frequency=440:duration=${2:-1}" "${codec[@]}" -shortest "$1"
}
