#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Mutation check: injects one small fault at a time into the given source
files, rebuilds the given test programs and runs them, and reports how many of
the faults the tests caught. The survivors are listed so that each can be read:
an equivalent mutant (one that changes no behaviour) is set aside by hand.

  tools/mutate.py --build build --test tst_textbox --sample 40 platform/TextBox.cpp

With --matrix, each mutant's record (one JSON line: where, what, and which test
functions and data rows failed on it) is appended to a file; --report reads such
files and prints the score per file and what each test function kills that no
other one does:

  tools/mutate.py --build build --test tst_textfile --seed 2026 --sample 12 --matrix m.jsonl text/TextFile.cpp
  tools/mutate.py --report m.jsonl [--equivalent text/TextFile.cpp:42 ...]
"""
import argparse
import collections
import json
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


def suite_env(build):
    """The environment ctest gives the suites (the calculator's texts depend on the locale). A sanitizer build
    stops at the first finding, and a leak at exit is not what is measured. A crashed suite's stack dump attaches
    gdb, which can hang on the dead process and stall the run past any timeout."""
    return dict(os.environ, QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8", QTEST_DISABLE_STACK_DUMP="1",
                XDG_RUNTIME_DIR=os.path.abspath(os.path.join(build, "xdg-runtime")),
                ASAN_OPTIONS="detect_leaks=0:abort_on_error=1", UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1")


FAIL = re.compile(r"^(?:FAIL!|XPASS) +: (\w+)::(\w+)\((.*?)\) ")
ENTERING = re.compile(r"^(?:INFO|PASS|FAIL!) +: (\w+)::(\w+)\(")


def failures(test, env):
    """Runs one QtTest program; returns the names of what failed: "suite::function(row)" per failing
    row, or "suite::function (crash|timeout|exit)" for the function under way when it ended badly."""
    name = os.path.basename(test)
    try:
        p = subprocess.run([test, "-v1"], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=TEST_TIMEOUT,
                           env=env, errors="replace")
        out, code, how = p.stdout, p.returncode, "crash" if p.returncode < 0 else "exit"
    except subprocess.TimeoutExpired as e:
        out, code, how = (e.stdout or b"").decode(errors="replace"), -1, "timeout"
    failed, current = [], "?"
    for line in out.splitlines():
        if m := ENTERING.match(line):
            current = f"{m.group(1)}::{m.group(2)}"
        if m := FAIL.match(line):
            failed.append(f"{m.group(1)}::{m.group(2)}" + (f"({m.group(3)})" if m.group(3) else ""))
    if code != 0 and (how != "exit" or not failed):
        failed.append(f"{current if current != '?' else name} ({how})")
    return sorted(set(failed))


def report(paths, equivalent):
    """Score per file, and per test function the mutants it alone kills."""
    records = [json.loads(line) for p in paths for line in open(p) if line.strip()]
    by_file = collections.defaultdict(list)
    for r in records:
        by_file[r["file"]].append(r)
    print(f"{'file':34} {'killed':>6} {'tried':>5} {'equiv':>5} {'score':>6}")
    for path, rs in by_file.items():
        eq = [r for r in rs if {f"{r['file']}:{r['line']}", f"{r['file']}:{r['line']}:{r['col']}"} & equivalent]
        killed = sum(1 for r in rs if r["killed_by"])
        live = len(rs) - sum(1 for r in eq if not r["killed_by"])
        print(f"{path:34} {killed:6} {len(rs):5} {len(eq):5} {100 * killed / max(live, 1):5.0f}%")
    def fn(t):
        return t.split("(")[0].split(" ")[0]
    alone = collections.defaultdict(list)
    rows = collections.defaultdict(collections.Counter)
    for r in records:
        fns = {fn(t) for t in r["killed_by"]}
        where = f"{r['file']}:{r['line']}:{r['col']}"
        if len(fns) == 1:
            alone[fns.pop()].append(where)
        for t in r["killed_by"]:
            rows[fn(t)][t] += 1
    print("\nmutants killed by one test function only:")
    for f, ws in sorted(alone.items()):
        print(f"  {f}: {len(ws)}  {' '.join(ws)}")
    print("\nkills per test function (and its failing rows):")
    for f, c in sorted(rows.items()):
        print(f"  {f}: " + ", ".join(f"{t[len(f):] or '()'}={n}" for t, n in c.most_common()))
    print("\nsurvivors:")
    for r in records:
        if not r["killed_by"]:
            print(f"  {r['file']}:{r['line']}:{r['col']}: {r['from']}  ->  {r['to']}")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--test", action="append", help="a test program under BUILD/tests")
    ap.add_argument("--matrix", help="append each mutant's record (JSON line) to this file")
    ap.add_argument("--report", nargs="+", help="print the score and kill matrix of these --matrix files")
    ap.add_argument("--equivalent", nargs="*", default=[], help="PATH:LINE[:COL] of mutants judged equivalent")
    ap.add_argument("--timeout", type=int, default=TEST_TIMEOUT, help="seconds a suite may take (more under a sanitizer)")
    ap.add_argument("--replay", help="run exactly the mutants of this --matrix file (after the tests changed)")
    ap.add_argument("--sample", type=int, default=30, help="faults per file")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("files", nargs="*")
    args = ap.parse_args()
    globals()["TEST_TIMEOUT"] = args.timeout
    if args.report:
        return report(args.report, set(args.equivalent))
    if not args.test or not args.files:
        ap.error("--test and files are needed")
    env = suite_env(args.build)
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
        if args.replay:
            # Each recorded mutant by its line's text, nearest its line number: code added above it moves it.
            def text(c):
                n, a, b, r = c
                return a + 1, lines[n].strip(), (lines[n][:a] + r + lines[n][b:]).strip()
            chosen = [r for r in map(json.loads, open(args.replay)) if r["file"] == path]
            pool = [min(same, key=lambda c: abs(c[0] + 1 - r["line"])) for r in chosen
                    if (same := [c for c in pool if text(c) == (r["col"], r["from"], r["to"])])]
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
                if args.matrix:
                    killed_by = [f for test in tests for f in failures(test, env)]
                    caught = bool(killed_by)
                    with open(args.matrix, "a") as out:
                        out.write(json.dumps({"file": path, "line": n + 1, "col": start + 1, "from": lines[n].strip(),
                                              "to": mutant[n].strip(), "killed_by": killed_by}) + "\n")
                else:
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
