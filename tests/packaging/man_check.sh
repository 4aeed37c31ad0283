#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed man pages render without a warning, have every placeholder filled in, and the
# options of quillet-cli agree in three places: its --help, its man page and its completion.
#   man_check.sh PREFIX BUILD_DIR
set -uo pipefail
prefix=$1 build=$2
source "$(dirname "$0")/checks.sh"
pages=$prefix/share/man/man1

for page in quillet quillet-cli ferrule; do
    file=$pages/$page.1.gz
    check "$page.1.gz is installed" test -f "$file"
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
    same "man $page renders without warnings" "" "$warnings"
    same "man $page has no placeholder left" "" "$(zcat "$file" | grep -o '@[A-Z_]*@')"
done
check "the program folder in the pages is the installed one" \
    bash -c "MANWIDTH=250 man -l '$pages/quillet-cli.1.gz' 2>/dev/null | grep -qF '$prefix/lib/quillet/'"

# Options: every -x and --word at the start of a --help line, and of a tag line of the man
# page's OPTIONS section (rendered wide, so no tag is wrapped).
options_of() { grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,' | sort -u; }
help_options=$("$build/bin/quillet-cli" --help | grep -E '^ +-' | options_of)
man_options=$(LC_ALL=C MANWIDTH=250 man -l "$pages/quillet-cli.1.gz" 2>/dev/null |
    sed -n '/^OPTIONS/,/^[A-Z]/p' | grep -E '^ {7}-' | options_of)
completion_options=$(bash -c "source '$prefix/share/bash-completion/completions/quillet-cli' 2>/dev/null
    printf '%s\n' \"\${_comp_quillet_cli_options[@]}\"" | sort -u)
check "quillet-cli --help lists options" test -n "$help_options"
same "the man page describes the options of --help" "$help_options" "$man_options"
same "the completion offers the options of --help" "$help_options" "$completion_options"
finish
