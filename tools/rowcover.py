#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Line coverage per QtTest data row: which lines of the product each row runs, and
which rows run no line that no other row runs. A row without a line of its own is a
place to look for a check that repeats others (its kills, in tools/mutate.py's
matrices, then say whether it does); it is no verdict, since a row can check values
on lines others run too.

Needs a build with coverage, beside the usual one:

  cmake -S . -B cov -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -O0" \\
        -DCMAKE_EXE_LINKER_FLAGS=--coverage && cmake --build cov
  tools/rowcover.py --build cov --out rows.json tst_search tst_filecommands ...
  tools/rowcover.py --report rows.json

Rows whose code runs in a child process (fork, then _exit) show no lines of it.
"""
import argparse
import collections
import glob
import json
import os
import subprocess

from mutate import suite_env


def covered(build, source):
    """The product lines (path:line) the .gcda files now in `build` say ran; tests and the build left out."""
    dirs = collections.defaultdict(list)
    for gcda in glob.glob(os.path.join(build, "**", "*.gcda"), recursive=True):
        if "/tests/" not in gcda:
            dirs[os.path.dirname(gcda)].append(gcda)
    lines = set()
    for d, files in dirs.items():
        out = subprocess.run(["gcov", "--json-format", "--stdout"] + files, cwd=d, capture_output=True).stdout
        for chunk in out.decode(errors="replace").splitlines():
            for f in json.loads(chunk)["files"] if chunk.strip() else []:
                path = os.path.normpath(os.path.join(d, f["file"]))
                if path.startswith(source) and not path.startswith((build, os.path.join(source, "tests"))):
                    lines.update(f"{path[len(source):]}:{l['line_number']}" for l in f["lines"] if l["count"])
    return lines


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", help="a build with --coverage")
    ap.add_argument("--out", help="where to write {suite::function:row: [lines]}")
    ap.add_argument("--report", help="a file --out wrote: the rows without a line of their own")
    ap.add_argument("suites", nargs="*")
    args = ap.parse_args()
    if args.report:
        rows = json.load(open(args.report))
        owners = collections.Counter(l for ls in rows.values() for l in ls)
        for unit, ls in rows.items():
            if not any(owners[l] == 1 for l in ls):
                print(f"{len(ls):6d} lines, none of its own: {unit}")
        return
    if not (args.build and args.out and args.suites):
        ap.error("--build, --out and suites are needed")
    build = os.path.abspath(args.build)
    source = os.path.dirname(os.path.dirname(os.path.abspath(__file__))) + os.sep
    env = suite_env(build)
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    rows = {}
    for suite in args.suites:
        exe = os.path.join(build, "tests", suite)
        tags = subprocess.run([exe, "-datatags"], capture_output=True, text=True, env=env).stdout.splitlines()
        for parts in (t.split(" ", 2) for t in tags if t.startswith("Test")):
            unit = parts[1] + (":" + parts[2] if len(parts) == 3 else "")
            for gcda in glob.glob(os.path.join(build, "**", "*.gcda"), recursive=True):
                os.remove(gcda)
            subprocess.run([exe, unit], capture_output=True, env=env)
            rows[f"{suite}::{unit}"] = sorted(covered(build, source))
            print(f"{len(rows[f'{suite}::{unit}']):6d} {suite}::{unit}", flush=True)
    json.dump(rows, open(args.out, "w"))


if __name__ == "__main__":
    main()
