#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""clang-tidy over the changed tree of the gated folders, as `make test` runs it.

"Changed" is judged per translation unit: a unit is checked again when its source, a header of
the source tree it includes, its compile command, .clang-tidy or clang-tidy itself changed since
it last passed in this build folder. A fresh build folder (a clean clone on CI) therefore checks
every unit of the gated folders, and a developer's second run checks only what they touched.
What a unit includes comes from the build's own dependency records (ninja -t deps), so the build
must have run; a unit whose dependencies are unknown is always checked.

A baseline (--baseline FILE: a commit whose whole gated tree passed, and the clang-tidy that
passed it) stands in for the stamps a fresh build folder lacks: a unit without a stamp is taken
as passed when neither it nor a header it includes changed between that commit and the work tree.
The baseline is ignored, and every unit checked, when the commit is not in the clone, clang-tidy
differs, or .clang-tidy, the top CMake files or this script changed since; a folder whose
CMakeLists.txt changed has all its units checked. --full checks every unit.

Usage: clang-tidy-gate.py --source DIR --build DIR [--jobs N] [--baseline FILE] [--full] FOLDER...
Exit status: 0 when every checked unit is clean, 1 when clang-tidy found something.
"""

import argparse
import concurrent.futures
import hashlib
import json
import os
import re
import shlex
import subprocess
import sys
import time


def ninja_dependencies(build):
    """Object file (relative to the build folder) -> the files it was built from."""
    try:
        text = subprocess.run(["ninja", "-C", build, "-t", "deps"], capture_output=True,
                              text=True, check=True).stdout
    except (OSError, subprocess.CalledProcessError):
        return {}
    deps, current = {}, None
    for line in text.splitlines():
        if line and not line[0].isspace():
            current = line.split(":", 1)[0]
            deps[current] = [] if "(VALID)" in line else None
        elif line.strip() and current is not None and deps[current] is not None:
            deps[current].append(line.strip())
    return deps


def object_of(command):
    words = shlex.split(command)
    for i, word in enumerate(words):
        if word == "-o" and i + 1 < len(words):
            return words[i + 1]
    return None


def ere_escape(text):
    """text as a POSIX extended regular expression (clang-tidy's regex dialect)."""
    return "".join("\\" + c if c in ".^$*+?()[]{}|\\" else c for c in text)


class Hasher:
    def __init__(self):
        self.cache = {}

    def file(self, path):
        if path not in self.cache:
            try:
                with open(path, "rb") as f:
                    self.cache[path] = hashlib.sha256(f.read()).hexdigest()
            except OSError:
                self.cache[path] = "missing"
        return self.cache[path]


def git_lines(source, *args):
    """The output lines of a git command in source, or None when it fails."""
    try:
        result = subprocess.run(["git", "-C", source, *args], capture_output=True, text=True)
    except OSError:
        return None
    return result.stdout.splitlines() if result.returncode == 0 else None


def changed_since_baseline(source, baseline_file, version):
    """The paths (relative to source) changed since the baseline commit, or None when the
    baseline cannot stand in for a full pass."""
    try:
        with open(baseline_file) as f:
            lines = [line.strip() for line in f if line.strip() and not line.startswith("#")]
    except OSError:
        return None
    if len(lines) < 2 or lines[1] != version.splitlines()[0].strip():
        return None
    commit = lines[0]
    committed = git_lines(source, "diff", "--name-only", commit, "--")
    pending = git_lines(source, "ls-files", "--others", "--exclude-standard")
    if committed is None or pending is None:
        return None
    changed = set(committed) | set(pending)
    rule_files = (".clang-tidy", "scripts/clang-tidy-gate.py", "CMakeLists.txt")
    if any(path in rule_files or path.startswith("cmake/") for path in changed):
        return None
    return changed


def in_changed_folder(relative, changed):
    """A folder whose CMakeLists.txt changed may compile its units differently now."""
    return any(path.endswith("/CMakeLists.txt") and relative.startswith(path[:-len("CMakeLists.txt")])
               for path in changed)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--baseline", help="file naming a commit whose gated tree passed")
    parser.add_argument("--full", action="store_true", help="check every unit")
    parser.add_argument("folders", nargs="+")
    args = parser.parse_args()

    source = os.path.realpath(args.source)
    build = os.path.realpath(args.build)
    folders = [f.strip("/") + "/" for f in args.folders]
    with open(os.path.join(build, "compile_commands.json")) as f:
        database = json.load(f)

    units = []
    for entry in database:
        path = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
        relative = os.path.relpath(path, source)
        if any(relative.startswith(folder) for folder in folders):
            units.append((relative, path, entry["command"]))
    units.sort()

    hasher = Hasher()
    version = subprocess.run(["clang-tidy", "--version"], capture_output=True,
                             text=True).stdout
    base = hashlib.sha256()
    base.update(version.encode())
    base.update(hasher.file(os.path.join(source, ".clang-tidy")).encode())
    base.update(" ".join(folders).encode())
    dependencies = ninja_dependencies(build)
    stamps = os.path.join(build, "clang-tidy-stamps")
    os.makedirs(stamps, exist_ok=True)

    def key_of(path, command):
        deps = dependencies.get(object_of(command) or "")
        if deps is None:
            return None
        key = base.copy()
        key.update(command.encode())
        key.update(hasher.file(path).encode())
        for dep in sorted(deps):
            full = os.path.realpath(os.path.join(build, dep))
            if full.startswith(source + os.sep) and not full.startswith(build + os.sep):
                key.update(full.encode())
                key.update(hasher.file(full).encode())
        return key.hexdigest()

    changed = None
    if args.baseline and not args.full:
        changed = changed_since_baseline(source, args.baseline, version)
        print("clang-tidy: " + ("units unchanged since the baseline commit count as passed"
                                if changed is not None else
                                "the baseline does not apply here; every unit without a stamp is checked"))

    def unchanged_since_baseline(relative, command):
        if changed is None or relative in changed or in_changed_folder(relative, changed):
            return False
        deps = dependencies.get(object_of(command) or "")
        if deps is None:
            return False
        for dep in deps:
            full = os.path.realpath(os.path.join(build, dep))
            if full.startswith(source + os.sep) and not full.startswith(build + os.sep):
                if os.path.relpath(full, source) in changed:
                    return False
        return True

    todo = []
    for relative, path, command in units:
        stamp = os.path.join(stamps, hashlib.sha1(relative.encode()).hexdigest())
        key = key_of(path, command)
        try:
            with open(stamp) as f:
                unchanged = not args.full and key is not None and f.read() == key
        except OSError:
            unchanged = not args.full and unchanged_since_baseline(relative, command)
        if not unchanged:
            todo.append((relative, path, stamp, key))

    # Headers of the gated folders, reached by a path without "/../" (a path through another
    # folder's include directory names that folder, not the gated one).
    header_filter = ("^" + ere_escape(source + "/") + "(" + "|".join(
        ere_escape(folder) for folder in folders) + r")([^/]|/[^.]|/\.[^./])*$")

    def check(unit):
        relative, path, stamp, key = unit
        result = subprocess.run(
            ["clang-tidy", "-p", build, "--quiet", "--header-filter=" + header_filter, path],
            capture_output=True, text=True)
        findings = [line for line in result.stdout.splitlines()
                    if re.search(r": (warning|error): ", line)]
        clean = result.returncode == 0 and not findings
        if clean and key is not None:
            with open(stamp, "w") as f:
                f.write(key)
        return relative, clean, result.stdout

    start = time.monotonic()
    failed = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
        for relative, clean, output in pool.map(check, todo):
            if not clean:
                failed.append(relative)
                sys.stdout.write(output)
    elapsed = time.monotonic() - start
    print(f"clang-tidy: {len(todo)} of {len(units)} translation units checked "
          f"({len(units) - len(todo)} unchanged since they passed) in {elapsed:.0f} s; "
          f"{len(failed)} with findings")
    for relative in failed:
        print(f"  findings in {relative}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
