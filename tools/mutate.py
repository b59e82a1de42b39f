#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Mutation check: injects one small fault at a time into the given source
files, rebuilds the given test programs and runs them, and reports how many of
the faults the tests caught. The survivors are listed so that each can be read:
an equivalent mutant (one that changes no behaviour) is set aside by hand.

  tools/mutate.py --build build --test tst_textbox --sample 40 platform/TextBox.cpp
"""
import argparse
import os
import random
import re
import subprocess
import sys

# (pattern, replacement): each match on a code line is one candidate fault.
OPERATORS = [
    (r"==", "!="), (r"!=", "=="), (r"<=", "<"), (r">=", ">"),
    (r"(?<![<\-])< (?!<)", "<= "), (r"(?<![>\-])> (?!>)", ">= "),
    (r"&&", "||"), (r"\|\|", "&&"), (r" \+ ", " - "), (r" - ", " + "),
    (r"\btrue\b", "false"), (r"\bfalse\b", "true"), (r"(?<![\w.])1(?![\w.])", "0"),
    (r"(?<![\w.])0(?![\w.x])", "1"), (r"!(?=[\w(])(?!=)", ""), (r"\+\+", "--"),
]
SKIP = re.compile(r"^\s*(//|#|\*|/\*)|static_assert|Q_OBJECT|^\s*$")


def candidates(lines):
    for n, line in enumerate(lines):
        if SKIP.search(line):
            continue
        # Literals blanked first, so that a quote or "//" inside one is not taken for code.
        code = re.sub(r'"(\\.|[^"\\])*"|\'(\\.|[^\'\\])\'', lambda m: " " * len(m.group(0)), line).split("//")[0]
        for pattern, repl in OPERATORS:
            for m in re.finditer(pattern, code):
                yield n, m.start(), m.end(), repl
        # Dropping a statement that only calls something.
        if re.match(r"^\s+[\w:>.\-]+\(.*\);\s*$", code) and "return" not in code:
            yield n, 0, len(line.rstrip("\n")), ";"


TEST_TIMEOUT = 30   # seconds; every suite runs in a few: a mutant that makes one hang is caught


def run(cmd, timeout, env=None):
    try:
        return subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=timeout, env=env).returncode
    except subprocess.TimeoutExpired:
        return -1


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--test", action="append", required=True, help="a test program under BUILD/tests")
    ap.add_argument("--sample", type=int, default=30, help="faults per file")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("files", nargs="+")
    args = ap.parse_args()
    # The environment ctest gives the suites (the calculator's texts depend on the locale).
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8",
               XDG_RUNTIME_DIR=os.path.abspath(os.path.join(args.build, "xdg-runtime")))
    build = ["cmake", "--build", args.build] + [a for t in args.test for a in ("--target", t)]
    tests = [os.path.join(args.build, "tests", t) for t in args.test]
    # On failing suites every mutant would count as caught.
    if run(build, 600) != 0 or any(run(test, TEST_TIMEOUT, env) != 0 for test in tests):
        sys.exit("the unchanged code does not build or its tests fail")
    total_killed = total = 0
    for path in args.files:
        original = open(path).read()
        lines = original.splitlines(keepends=True)
        pool = list(candidates(lines))
        random.Random(args.seed).shuffle(pool)
        killed = tried = 0
        survivors = []
        try:
            for n, start, end, repl in pool:
                if tried == args.sample:
                    break
                mutant = lines[:]
                mutant[n] = lines[n][:start] + repl + lines[n][end:]
                open(path, "w").write("".join(mutant))
                if run(build, 600) != 0:
                    continue   # does not compile: not a mutant
                tried += 1
                caught = any(run(test, TEST_TIMEOUT, env) != 0 for test in tests)
                killed += caught
                if not caught:
                    survivors.append(f"{path}:{n + 1}: {lines[n].strip()}  ->  {mutant[n].strip()}")
        finally:
            open(path, "w").write(original)
        run(build, 600)
        print(f"{path}: {killed} of {tried} caught ({100 * killed // max(tried, 1)}%)")
        for s in survivors:
            print("  survived:", s)
        total_killed += killed
        total += tried
    print(f"all: {total_killed} of {total} caught")


if __name__ == "__main__":
    sys.exit(main())
