#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The main job: converts media with the programs built in the given program folder.
set -euo pipefail
bin="$1"
shift

if [ -x "$bin/quillet-cli" ]; then
    exec "$bin/quillet-cli" "$@"
fi

echo "quillet: the converter's front ends are not built yet; this build holds:"
for f in "$bin"/*; do
    [ -f "$f" ] && echo "  $(basename "$f")"
done
exit 0
