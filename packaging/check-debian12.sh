#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Tries the Debian package on a fresh Debian 12: a minimal system made with debootstrap, entered
# with chroot. There, `apt install ./quillet_*.deb` as a user would, convert a clip as an
# ordinary user, read `man quillet-cli`, then `apt remove` and `apt purge` and look for anything
# left behind. Not one of the tests: it needs root and downloads from Debian's mirror.
#
#   packaging/check-debian12.sh WORK_DIR [DEB]
#
# WORK_DIR/base is the debootstrapped system, made on the first run and kept; every run copies
# it to WORK_DIR/root afresh. DEB defaults to build/quillet_*.deb. The results are printed and
# kept in WORK_DIR/report.txt; the exit status is 0 when every check passed.
set -euo pipefail

work=${1:?usage: check-debian12.sh WORK_DIR [DEB]}
deb=${2:-$(ls "$(dirname "$0")"/../build/quillet_*.deb 2>/dev/null | tail -1)}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
[[ -f $deb ]] || { echo "no package: make package first, or name one" >&2; exit 2; }
[[ $(id -u) == 0 ]] || { echo "needs root (debootstrap, chroot, mount)" >&2; exit 2; }
for tool in debootstrap ffmpeg ffprobe; do
    command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install $tool)" >&2; exit 2; }
done

mkdir -p "$work"
work=$(cd "$work" && pwd)
deb=$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")
base=$work/base root=$work/root report=$work/report.txt
: >"$report"
failures=0 passes=0
say() { echo "$*" | tee -a "$report"; }
pass() { say "PASS: $*"; passes=$((passes + 1)); }
fail() { say "FAIL: $*"; failures=$((failures + 1)); }
# step TEXT COMMAND...: shows the command and its output in the report.
step()
{
    say ""
    say "\$ $1"
    shift
    "$@" 2>&1 | tee -a "$report"
    return "${PIPESTATUS[0]}"
}

if [[ ! -x $base/usr/bin/apt ]]; then
    rm -rf "$base"
    debootstrap --variant=minbase bookworm "$base" "$mirror"
fi

# A fresh copy, with the kernel's file systems while it is in use.
mounted=()
cleanup()
{
    local m
    for ((m = ${#mounted[@]} - 1; m >= 0; m--)); do umount -l "${mounted[m]}" || true; done
}
trap cleanup EXIT
rm -rf "$root"
cp -a "$base" "$root"
for fs in proc dev dev/pts; do
    mkdir -p "$root/$fs"
    case $fs in
        proc) mount -t proc proc "$root/proc" ;;
        *) mount --bind "/$fs" "$root/$fs" ;;
    esac
    mounted+=("$root/$fs")
done
cp /etc/resolv.conf "$root/etc/resolv.conf"
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb ${mirror%/debian}/debian-security bookworm-security main
EOF
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"; }
as_user() { chroot "$root" runuser -u tester -- env -i PATH=/usr/bin:/bin HOME=/home/tester \
    LC_ALL=C.UTF-8 "$@"; }
# Every path of the system but the kernel's, the package manager's own records and caches.
snapshot()
{
    in_root find / -xdev \( -path /proc -o -path /dev -o -path /sys -o -path /tmp \
        -o -path /var/lib/dpkg -o -path /var/lib/apt -o -path /var/cache/apt -o -path /var/log \
        -o -path /var/cache/debconf -o -path /var/cache/man -o -path /var/cache/ldconfig \) -prune \
        -o -print | sort >"$work/$1.paths"
}

say "Debian $(cat "$root/etc/debian_version") (debootstrap --variant=minbase bookworm), package $(basename "$deb")"
say "\$ apt-get update; apt-get install man-db"
in_root apt-get update -q >"$work/apt.log" 2>&1
# A desktop system has man; the minimal one does not.
in_root apt-get install -y -q --no-install-recommends man-db >>"$work/apt.log" 2>&1
in_root useradd -m -u 1000 tester
snapshot before
in_root sh -c 'apt list --installed 2>/dev/null' | cut -d/ -f1 | sort >"$work/before.packages"

cp "$deb" "$root/tmp/"
say "\$ apt install ./$(basename "$deb")"
if in_root sh -c "cd /tmp && apt install -y -q ./$(basename "$deb")" >>"$work/apt.log" 2>&1; then
    grep -E 'newly installed|^Need to get|^After this operation' "$work/apt.log" | tail -3 |
        tee -a "$report"
    pass "the package installs"
else
    tail -20 "$work/apt.log" | tee -a "$report"
    fail "the package installs"
fi
snapshot installed
in_root dpkg -L quillet | sort >"$work/quillet.paths"
# What the package brought: its paths that were not there before (not /usr, /usr/bin, ...).
comm -23 "$work/quillet.paths" "$work/before.paths" >"$work/quillet-new.paths"
say "the package added $(wc -l <"$work/quillet-new.paths") paths"
step "dpkg -s quillet | grep -E '^(Status|Version|Depends|Recommends):'" \
    in_root sh -c "dpkg -s quillet | grep -E '^(Status|Version|Depends|Recommends):'" || true

missing=$(in_root sh -c 'for f in /usr/lib/quillet/*; do [ -f "$f" ] && ldd "$f" 2>&1 | grep "not found" | sed "s|^|$f: |"; done' || true)
[[ -z $missing ]] && pass "every installed binary finds its libraries" || fail "libraries missing: $missing"
step "ls -l /usr/bin/quillet-cli /usr/bin/ferrule" in_root ls -l /usr/bin/quillet-cli /usr/bin/ferrule || true

# A clip made outside, converted inside by an ordinary user through the /usr/bin link.
ffmpeg -v error -y -f lavfi -i testsrc2=size=320x240:rate=25:duration=2 \
    -f lavfi -i sine=frequency=440:duration=2 -c:v libx264 -preset ultrafast -c:a aac -shortest \
    "$root/home/tester/holiday clip.mkv"
chown 1000:1000 "$root/home/tester/holiday clip.mkv"
step "quillet-cli --list-profiles | head -3 (as tester)" as_user sh -c 'quillet-cli --list-profiles | head -3' || true
if step "quillet-cli -o ~/converted ~/'holiday clip.mkv' (as tester)" \
    as_user sh -c 'quillet-cli -o ~/converted ~/"holiday clip.mkv" 2>/dev/null'; then
    pass "quillet-cli converts as an ordinary user"
else
    fail "quillet-cli converts as an ordinary user"
fi
codec=$(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width,height -of csv=p=0 \
    "$root/home/tester/converted/holiday clip.mp4" 2>/dev/null || true)
say "output: $codec"
[[ $codec == h264,1024,768 ]] && pass "the output is H.264 1024x768" || fail "the output is H.264 1024x768"
# The ferrule hand-over: a profile that adds its output to the media library.
as_user mkdir -p /home/tester/Videos
if step "quillet-cli -p 'ipadh264.ini:iPad Video H.264 (1024x768), add to library' (as tester)" \
    as_user sh -c 'quillet-cli -p "ipadh264.ini:iPad Video H.264 (1024x768), add to library" \
        -o ~/converted ~/"holiday clip.mkv" 2>/dev/null && ls ~/Videos'; then
    [[ -f "$root/home/tester/Videos/holiday clip (1).mp4" ]] &&
        pass "ferrule adds the output to the media library" ||
        fail "ferrule adds the output to the media library"
else
    fail "converting with an add-to-library profile"
fi
# Without -o the output folder is the program folder's output/, which a user may not write.
step "quillet-cli ~/'holiday clip.mkv' without -o (as tester)" \
    as_user sh -c 'quillet-cli ~/"holiday clip.mkv" 2>&1; echo "exit status $?"' || true

step "man quillet-cli | head -12 (as tester)" as_user sh -c 'MANPAGER=cat MANWIDTH=80 man quillet-cli 2>&1 | head -12' || true
as_user sh -c 'MANPAGER=cat man quillet-cli 2>/dev/null' | grep -q 'quillet-cli - convert media files' &&
    pass "man quillet-cli shows the page" || fail "man quillet-cli shows the page"

# The windowed program, where the package has it: it starts (on Qt's offscreen platform, there
# being no display) with the clip in its list and runs until it is stopped.
if [[ -x $root/usr/lib/quillet/quillet ]]; then
    if step "QT_QPA_PLATFORM=offscreen timeout 5 quillet ~/'holiday clip.mkv' (as tester)" \
        as_user sh -c 'QT_QPA_PLATFORM=offscreen timeout 5 quillet ~/"holiday clip.mkv" 2>&1
            status=$?; echo "exit status $status"; [ $status = 124 ]'; then
        pass "quillet starts and runs until stopped"
    else
        fail "quillet starts and runs until stopped"
    fi
fi

# Remove: nothing of the package may stay, and nothing it made outside the user's home.
say ""
say "\$ apt remove quillet"
in_root apt remove -y -q quillet >>"$work/apt.log" 2>&1 || fail "apt remove"
snapshot removed
# A folder that another package, installed with quillet's dependencies, owns too stays.
left=$(comm -12 "$work/quillet-new.paths" "$work/removed.paths" | while read -r path; do
    in_root dpkg-query -S "$path" >/dev/null 2>&1 || echo "$path"
done)
[[ -z $left ]] && pass "apt remove takes away every path the package added" ||
    fail "apt remove leaves: $left"
left=$(comm -13 "$work/before.paths" "$work/removed.paths" | grep -i -e quillet -e ferrule |
    grep -v '^/home/' || true)
[[ -z $left ]] && pass "nothing named after quillet or ferrule is left outside /home" ||
    fail "left outside /home: $left"
say "left in the user's home:"
comm -13 "$work/before.paths" "$work/removed.paths" | grep '^/home/' | tee -a "$report"
step "dpkg -l quillet after remove" in_root dpkg -l quillet | tail -1 || true
say ""
say "\$ apt purge quillet; apt autoremove --purge"
in_root sh -c 'apt purge -y -q quillet; apt autoremove --purge -y -q' >>"$work/apt.log" 2>&1 || true
snapshot purged
comm -13 "$work/before.paths" "$work/purged.paths" >"$work/left-after-purge.paths"
say "after purge and autoremove: $(grep -vc '^/home/' "$work/left-after-purge.paths") new paths" \
    "outside /home remain, from packages apt keeps (listed in $work/left-after-purge.paths):"
in_root sh -c 'apt list --installed 2>/dev/null' | cut -d/ -f1 | sort >"$work/installed.packages"
say "  packages installed now that were not before: $(comm -13 "$work/before.packages" \
    "$work/installed.packages" | tr '\n' ' ')"
left=$(comm -12 "$work/quillet-new.paths" "$work/purged.paths")
[[ -z $left ]] && pass "after purge no path of the package is left" || fail "after purge: $left"

say ""
say "$passes passed, $failures failed"
exit $((failures > 0))
