#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh prefix (the other packaging tests read that install) and checks
# its layout: one program folder under lib/quillet/, relative links in bin/ that the programs
# follow back to their folder, libraries and data beside the programs, and a folder that running
# a conversion leaves as it was.
#   install_check.sh SOURCE_DIR BUILD_DIR PREFIX VERSION
set -uo pipefail
source_dir=$1 build=$2 prefix=$3 version=$4
source "$(dirname "$0")/checks.sh"

rm -rf "$prefix" "$prefix.work"
mkdir -p "$prefix.work"
if ! cmake --install "$build" --prefix "$prefix" >"$prefix.work/install.log" 2>&1; then
    cat "$prefix.work/install.log"
    exit 1
fi
program_dir=$prefix/lib/quillet

# The programs: those the build has made (the windowed one may not exist yet in a partial tree).
programs=()
for program in quillet quillet-cli ferrule; do
    [[ -x $build/bin/$program ]] && programs+=("$program")
done
check "quillet-cli and ferrule were built" test -x "$build/bin/quillet-cli" -a -x "$build/bin/ferrule"
for program in "${programs[@]}"; do
    check "$program is an executable in the program folder" test -x "$program_dir/$program" -a ! -L "$program_dir/$program"
    same "bin/$program is a relative link into the program folder" \
        "../lib/quillet/$program" "$(readlink "$prefix/bin/$program")"
done

# Every library of the build's program folder, and none executable.
for library in "$build"/bin/lib*.so; do
    name=$(basename "$library")
    check "$name is installed" test -f "$program_dir/$name"
    same "$name is not executable" "644" "$(stat -c %a "$program_dir/$name")"
done

# The data the program reads beside itself.
check "every built-in profile is in ini/" diff -rq "$source_dir/resources/ini" "$program_dir/ini"
check "every language file is in language/tesk/" diff -rq "$source_dir/resources/language" "$program_dir/language/tesk"
check "no output/ folder is installed" test ! -e "$program_dir/output"

# Nothing in the program folder can be found unless the programs resolve the links: run them
# from elsewhere, by their link, with nothing of the build tree in reach.
work=$prefix.work
cd "$work" || exit 1
run()
{
    env -i PATH="$prefix/bin:/usr/bin:/bin" HOME="$work/home" QUILLET_SETTINGS_DIR="$work/settings" \
        QUILLET_MEDIA_LIBRARY="$work/library" "$@"
}
same "quillet-cli by its link lists the profiles of every installed profile file" \
    "$(cd "$program_dir/ini" && ls -- *.ini | grep -vx kreldef.ini)" \
    "$(run quillet-cli --list-profiles | cut -f2 | sort -u)"
(cd "$program_dir" && find . -type f -exec md5sum {} + | sort) >"$work/before.md5"
make_clip "$work/clip.avi"
converted=$(run quillet-cli -o "$work/out" "$work/clip.avi" 2>"$work/convert.log")
status=$?
same "quillet-cli by its link converts a clip" "0 $work/out/clip.mp4" "$status $converted"
check "the output has a video stream" \
    test "$(ffprobe -v error -select_streams v -show_entries stream=codec_name -of csv=p=0 "$work/out/clip.mp4")" = h264
(cd "$program_dir" && find . -type f -exec md5sum {} + | sort) >"$work/after.md5"
check "a conversion leaves the program folder as it was" cmp -s "$work/before.md5" "$work/after.md5"
said=$(run ferrule "$work/clip.avi" 2>&1)
status=$?
# No library is a failure of the post-processing step: ferrule says so and exits 4.
same "ferrule by its link runs and finds no library folder" "4 Cannot Find iTunes" "$status $said"

# An installed program folder the user cannot write (root's, as a package installs it): the
# profiles and the default output folder are the per-user stand-in's, which starts as a copy of
# the built-in profiles. Under root the programs run as nobody, from a copy of the install in a
# folder nobody can reach; otherwise the copy is made read-only.
readonly_root=$(mktemp -d /tmp/quillet-installed.XXXXXX)
chmod 755 "$readonly_root"
cp -a "$prefix" "$readonly_root/prefix"
installed=$readonly_root/prefix/lib/quillet
user_dir=$readonly_root/user
mkdir -p "$user_dir/home" "$user_dir/data" "$user_dir/settings"
cp "$work/clip.avi" "$user_dir/clip.avi"
if [[ $(id -u) == 0 ]]; then
    chmod -R a+rwX "$user_dir"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    chmod -R a-w "$readonly_root/prefix"
    as_user=()
fi
run_as_user()
{
    env -i PATH="$readonly_root/prefix/bin:/usr/bin:/bin" HOME="$user_dir/home" \
        XDG_DATA_HOME="$user_dir/data" QUILLET_SETTINGS_DIR="$user_dir/settings" \
        "${as_user[@]}" "$@"
}
(cd "$installed" && find . -type f -exec md5sum {} + | sort) >"$work/installed-before.md5"
same "a read-only program folder lists its profiles from the per-user copy" \
    "$(cd "$installed/ini" && ls -- *.ini | grep -vx kreldef.ini)" \
    "$(run_as_user quillet-cli --list-profiles | cut -f2 | sort -u)"
check "the per-user copy holds every built-in profile file" \
    diff -rq "$installed/ini" "$user_dir/data/quillet/ini"
converted=$(run_as_user quillet-cli "$user_dir/clip.avi" 2>"$work/standin.log")
status=$?
same "a read-only program folder converts into the per-user output folder" \
    "0 $user_dir/data/quillet/output/clip.mp4" "$status $converted"
# Without a home (a service, cron, a container) nothing of the user's is there to write to: the
# program says so and stops, and makes nothing in the folder it was started from.
started_in=$user_dir/started-in
mkdir -p "$started_in"
chmod a+rwx "$started_in"
said=$(cd "$started_in" && env -i PATH="$readonly_root/prefix/bin:/usr/bin:/bin" \
    "${as_user[@]}" quillet-cli "$user_dir/clip.avi" 2>&1 >/dev/null)
status=$?
same "without a home an installed program stops with status 2" 2 "$status"
check "without a home it says that HOME is missing" grep -q "HOME" <<<"$said"
same "without a home nothing is made in the folder it started in" "" "$(ls -A "$started_in")"
(cd "$installed" && find . -type f -exec md5sum {} + | sort) >"$work/installed-after.md5"
check "the read-only program folder stayed as it was" \
    cmp -s "$work/installed-before.md5" "$work/installed-after.md5"
chmod -R u+w "$readonly_root"
rm -rf "$readonly_root"

# Every library each installed binary needs is found (the loaded-by-name libraries too).
for binary in "$program_dir"/*; do
    [[ -f $binary ]] && file -b "$binary" | grep -q ELF || continue
    missing=$(ldd "$binary" 2>&1 | grep 'not found')
    same "$(basename "$binary") finds all its libraries" "" "$missing"
done

# The release the package and the software centre show is the project's version.
same "the metainfo's newest release is the project's version" "$version" \
    "$(grep -o '<release version="[^"]*"' "$prefix/share/metainfo/org.example.quillet.metainfo.xml" | head -1 | cut -d'"' -f2)"
release=$(sed -n 's/^set(CPACK_DEBIAN_PACKAGE_RELEASE "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
same "the changelog's newest entry is the package's version" "quillet ($version-$release)" \
    "$(zcat "$prefix/share/doc/quillet/changelog.Debian.gz" | head -1 | cut -d' ' -f1-2)"
finish
