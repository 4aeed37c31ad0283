#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed desktop entry and AppStream file pass their validators, the icons are there at
# every size, the entry speaks English, German and French, and it claims exactly the MIME types of the extensions the task
# list accepts, as shared-mime-info names them.
#   desktop_check.sh SOURCE_DIR PREFIX
set -uo pipefail
source_dir=$1 prefix=$2
source "$(dirname "$0")/checks.sh"
entry=$prefix/share/applications/quillet.desktop
metainfo=$prefix/share/metainfo/org.example.quillet.metainfo.xml

check "desktop-file-validate passes" desktop-file-validate "$entry"
check "appstreamcli validate passes" appstreamcli validate --no-net --strict "$metainfo"
# The tree check also finds the entry the metainfo launches.
check "appstreamcli validate-tree passes" appstreamcli validate-tree --no-net --strict "$prefix"
check "the entry opens any number of files" grep -qx 'Exec=quillet %F' "$entry"

# The entry's icon, in the hicolor theme at every size and as a scalable picture.
icons=$prefix/share/icons/hicolor
check "the entry names the installed icon" grep -qx 'Icon=quillet' "$entry"
for size in 16 22 24 32 48 64 128 256; do
    check "the ${size}px icon is a $size x $size PNG with transparency" \
        grep -q "PNG image data, $size x $size, 8-bit/color RGBA" <(file -b "$icons/${size}x${size}/apps/quillet.png")
done
svg=$icons/scalable/apps/quillet.svg
check "the scalable icon is well-formed SVG" xmllint --noout "$svg"
same "the scalable icon is a square SVG of 256 units" 'viewBox="0 0 256 256"' \
    "$(grep -o 'viewBox="[^"]*"' "$svg")"
for key in Name GenericName Comment Keywords; do
    for language in de fr; do
        check "$key[$language] is there" grep -q "^$key\[$language\]=." "$entry"
    done
done

# The accepted extensions, from the application's own list (".ts.m2ts...").
extensions=$(sed -n '/kAcceptedExtensions$/,/;/p' "$source_dir/core/ExtensionList.cpp" |
    grep -o '"[^"]*"' | tr -d '"\n' | tr '.' '\n' | sed '/^$/d')
check "the accepted extensions were found" test "$(wc -l <<<"$extensions")" -ge 30

# Their types. *.ts is also Qt Linguist's translation files, and *.mod (a camcorder's MPEG-2)
# also a tracker module and an object file, none of which the converter can read.
globs=/usr/share/mime/globs2
wanted=$(while read -r extension; do
    grep -i ":\*\.$extension\$" "$globs" | cut -d: -f2
done <<<"$extensions" |
    grep -vx -e 'text/vnd.trolltech.linguist' -e 'audio/x-mod' -e 'application/x-object' |
    sort -u)
claimed=$(grep '^MimeType=' "$entry" | cut -d= -f2 | tr ';' '\n' | sed '/^$/d' | sort -u)
same "MimeType lists the types of the accepted extensions" "$wanted" "$claimed"
without=$(while read -r extension; do
    grep -qi ":\*\.$extension\$" "$globs" || printf '%s ' "$extension"
done <<<"$extensions")
echo "note: no shared-mime-info type for: ${without:-none}"
finish
