#!/usr/bin/env python3
"""Mutation testing of C and C++ sources against the host tree's tests.

Each mutant is one small change to one line of a source file: a relational or
equality operator swapped, && and || swapped, an if or while condition
negated, an integer constant moved by one, a statement dropped, a return
value replaced, or the two arguments of a call swapped. For every mutant the
host tree is rebuilt incrementally and the tests run with a time limit; a
mutant the tests do not fail "survived" and is printed as a diff. A mutant
that does not compile says nothing about the tests and is left out of the
kill rate.

The choice of mutants is deterministic for a seed. The source file is always
written back, also when the run is interrupted.
"""

import argparse
import difflib
import os
import random
import re
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

RELATIONAL = {" < ": " <= ", " <= ": " < ", " > ": " >= ", " >= ": " > ",
              " == ": " != ", " != ": " == "}
LOGICAL = {" && ": " || ", " || ": " && "}
INTEGER = re.compile(r"(?<![\w.'])(\d+)(?![\w.'])")
CONDITION = re.compile(r"\b(if|while) \(")
RETURN = re.compile(r"\breturn (.+);\s*$")
CALL_OF_TWO = re.compile(r"\b\w+\(([A-Za-z_][\w.]*(?:->\w+)*), ([A-Za-z_][\w.]*(?:->\w+)*)\)")
STATEMENT = re.compile(r"^\s*[A-Za-z_*(][^;]*;\s*$")
NOT_A_STATEMENT = re.compile(r"^\s*(return|break|continue|case|default|goto|using|typedef|"
                             r"namespace|template|static_assert|friend|public|private|protected|"
                             r"enum|struct|class|union)\b")


def masked_lines(text):
    """The lines with comments and the insides of string and character
    literals replaced by a filler of the same length, so that patterns are
    only found in code and their columns still fit the original line."""
    out, in_block = [], False
    for line in text.split("\n"):
        chars, i, n = list(line), 0, len(line)
        quote = None
        while i < n:
            c = line[i]
            if in_block:
                if line.startswith("*/", i):
                    chars[i] = chars[i + 1] = "\x01"
                    in_block = False
                    i += 2
                    continue
                chars[i] = "\x01"
            elif quote:
                if c == "\\" and i + 1 < n:
                    chars[i] = chars[i + 1] = "\x01"
                    i += 2
                    continue
                if c == quote:
                    quote = None
                else:
                    chars[i] = "\x01"
            elif line.startswith("//", i):
                for j in range(i, n):
                    chars[j] = "\x01"
                break
            elif line.startswith("/*", i):
                chars[i] = chars[i + 1] = "\x01"
                in_block = True
                i += 2
                continue
            elif c in "\"'":
                # A digit separator (1'000) is no character literal.
                if c == "'" and i > 0 and line[i - 1].isalnum():
                    chars[i] = "\x01"
                else:
                    quote = c
            i += 1
        out.append("".join(chars))
    return out


def closing_paren(line, start):
    """Index of the parenthesis that closes the one at start, or -1."""
    depth = 0
    for i in range(start, len(line)):
        if line[i] == "(":
            depth += 1
        elif line[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def line_mutants(original, masked):
    """(new line, operator) pairs for one line of code."""
    stripped = masked.strip()
    if not stripped or stripped.startswith("#include") or stripped.startswith("#pragma"):
        return []
    found = []

    def replace(start, end, text, what):
        found.append((original[:start] + text + original[end:], what))

    for table, what in ((RELATIONAL, "relational"), (LOGICAL, "logical")):
        for token, other in table.items():
            for m in re.finditer(re.escape(token), masked):
                replace(m.start(), m.end(), other, what + " " + token.strip() + " -> " + other.strip())
    if not stripped.startswith("#"):
        for m in CONDITION.finditer(masked):
            open_at = m.end() - 1
            close_at = closing_paren(masked, open_at)
            if close_at > open_at + 1:
                inner = original[open_at + 1:close_at]
                replace(open_at + 1, close_at, "!(" + inner + ")", "negated " + m.group(1))
    for m in INTEGER.finditer(masked):
        # Array sizes, shifts and the like all count: a constant a test
        # cannot tell from its neighbour is worth seeing.
        value = int(m.group(1))
        replace(m.start(), m.end(), str(value + 1), "constant %d -> %d" % (value, value + 1))
        if value > 0:
            replace(m.start(), m.end(), str(value - 1), "constant %d -> %d" % (value, value - 1))
    if stripped.startswith("#"):
        return found
    m = RETURN.search(masked)
    if m:
        value = m.group(1).strip()
        start, end = m.start(1), m.end(1)
        if value == "true":
            replace(start, end, "false", "return true -> false")
        elif value == "false":
            replace(start, end, "true", "return false -> true")
        elif value not in ("{}", "0", "nullptr"):
            replace(start, end, "{}", "return value dropped")
    for m in CALL_OF_TWO.finditer(masked):
        a, b = m.group(1), m.group(2)
        if a != b:
            replace(m.start(1), m.end(2), b + ", " + a, "arguments swapped")
    if (STATEMENT.match(masked) and not NOT_A_STATEMENT.match(masked)
            and masked.count("(") == masked.count(")") and not stripped.endswith("};")
            and ("(" in stripped or "=" in stripped or "++" in stripped or "--" in stripped)):
        indent = original[:len(original) - len(original.lstrip())]
        found.append((indent + ";", "statement dropped"))
    return found


def changed_lines(path, base):
    """Line numbers (from 1) that the working tree adds or changes against base."""
    diff = subprocess.run(["git", "-C", ROOT, "diff", "-U0", base, "--", path],
                          capture_output=True, text=True, check=True).stdout
    lines = set()
    for m in re.finditer(r"^@@ -\S+ \+(\d+)(?:,(\d+))? @@", diff, re.M):
        start, count = int(m.group(1)), int(m.group(2) or "1")
        lines.update(range(start, start + count))
    return lines


def mutants_of(path, seed, limit, since):
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        text = f.read()
    lines = text.split("\n")
    allowed = changed_lines(path, since) if since else None
    all_mutants = []
    for number, (original, masked) in enumerate(zip(lines, masked_lines(text)), start=1):
        if allowed is not None and number not in allowed:
            continue
        for new_line, what in line_mutants(original, masked):
            if new_line != original:
                all_mutants.append((number, new_line, what))
    chooser = random.Random("%s:%s" % (seed, os.path.relpath(path, ROOT)))
    chooser.shuffle(all_mutants)
    chosen = all_mutants[:limit] if limit else all_mutants
    chosen.sort(key=lambda m: (m[0], m[2]))
    return text, lines, chosen, len(all_mutants)


def mutant_diff(path, lines, number, new_line):
    mutated = lines[:number - 1] + [new_line] + lines[number:]
    name = os.path.relpath(path, ROOT)
    return "".join(difflib.unified_diff([l + "\n" for l in lines], [l + "\n" for l in mutated],
                                        "a/" + name, "b/" + name, n=1))


class Runner:
    def __init__(self, tree, targets, tests, timeout):
        self.tree, self.targets, self.tests, self.timeout = tree, targets, tests, timeout

    def build(self):
        """None when the build fails, else whether anything was rebuilt."""
        command = ["cmake", "--build", self.tree] + sum((["--target", t] for t in self.targets), [])
        done = subprocess.run(command, capture_output=True, text=True)
        if done.returncode != 0:
            return None
        return "no work to do" not in done.stdout

    def passes(self):
        """True when every test command passes within the time limit. The
        test programs of gtest are split into two shards that run side by
        side and stop at their first failure."""
        deadline = time.monotonic() + self.timeout
        running = []
        for command in self.tests:
            shards = 2 if command.get("gtest") else 1
            for index in range(shards):
                env = dict(os.environ)
                if shards > 1:
                    env.update(GTEST_TOTAL_SHARDS=str(shards), GTEST_SHARD_INDEX=str(index),
                               GTEST_FAIL_FAST="1", GTEST_BRIEF="1")
                running.append(subprocess.Popen(command["argv"], cwd=self.tree, env=env,
                                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                                start_new_session=True))
        ok = True
        try:
            while running:
                for process in list(running):
                    code = process.poll()
                    if code is not None:
                        running.remove(process)
                        if code != 0:
                            ok = False
                if not ok or time.monotonic() > deadline:
                    return False
                time.sleep(0.05)
            return ok
        finally:
            for process in running:
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("files", nargs="+", help="source files to mutate")
    parser.add_argument("--limit", type=int, default=30, help="mutants per file (0: all; default 30)")
    parser.add_argument("--seed", default="1", help="seed of the choice (default 1)")
    parser.add_argument("--since", metavar="REV", help="only lines added or changed since REV")
    parser.add_argument("--tree", default=os.path.join(ROOT, "build", "host"), help="host build tree")
    parser.add_argument("--timeout", type=float, help="seconds per test run (default: 3 x the clean run + 10)")
    parser.add_argument("--list", action="store_true", help="print the chosen mutants, run nothing")
    args = parser.parse_args()

    files = [os.path.abspath(f) for f in args.files]
    for path in files:
        if not os.path.isfile(path):
            sys.exit("mutants: no such file: " + path)
    chosen = [(path,) + mutants_of(path, args.seed, args.limit, args.since) for path in files]

    if args.list:
        for path, _, lines, mutants, total in chosen:
            print("%s: %d of %d mutants" % (os.path.relpath(path, ROOT), len(mutants), total))
            for number, new_line, what in mutants:
                print("  %d: %s: %s" % (number, what, new_line.strip()))
        return 0

    targets = ["unit_tests"]
    tests = [{"argv": [os.path.join(args.tree, "unit_tests")], "gtest": True}]
    if any(os.path.relpath(p, ROOT).startswith("src/server/") for p in files):
        targets.append("server_tests")
        tests.append({"argv": [os.path.join(args.tree, "server_tests")], "gtest": False})
    runner = Runner(args.tree, targets, tests, timeout=3600)
    print("mutants: building %s and running the clean tests" % os.path.relpath(args.tree, ROOT), flush=True)
    if runner.build() is None:
        sys.exit("mutants: the tree does not build without mutants")
    started = time.monotonic()
    if not runner.passes():
        sys.exit("mutants: the tests fail without mutants")
    runner.timeout = args.timeout or 3 * (time.monotonic() - started) + 10

    current = {}

    def restore():
        for path, text in current.items():
            with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                f.write(text)
        current.clear()

    def interrupted(signum, frame):
        restore()
        sys.exit("mutants: interrupted; sources restored")

    signal.signal(signal.SIGINT, interrupted)
    signal.signal(signal.SIGTERM, interrupted)

    killed = survived = stillborn = 0
    survivors = []
    try:
        for path, text, lines, mutants, total in chosen:
            name = os.path.relpath(path, ROOT)
            print("mutants: %s: %d of %d mutants" % (name, len(mutants), total), flush=True)
            for number, new_line, what in mutants:
                current[path] = text
                with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                    f.write("\n".join(lines[:number - 1] + [new_line] + lines[number:]))
                built = runner.build()
                if built is None:
                    result = "stillborn"
                    stillborn += 1
                elif not built:
                    # A file the host tree does not compile (a Windows
                    # implementation): its tests cannot judge it here.
                    restore()
                    print("  %s is not built into the host tests; left out" % name, flush=True)
                    break
                elif runner.passes():
                    result = "SURVIVED"
                    survived += 1
                    survivors.append(mutant_diff(path, lines, number, new_line))
                else:
                    result = "killed"
                    killed += 1
                restore()
                print("  %-9s %s:%d %s" % (result, name, number, what), flush=True)
    finally:
        restore()
        runner.build()

    for diff in survivors:
        print(diff, end="")
    judged = killed + survived
    rate = 100.0 * killed / judged if judged else 0.0
    print("mutants: %d killed, %d survived, %d did not compile; kill rate %.0f %%"
          % (killed, survived, stillborn, rate))
    return 0


if __name__ == "__main__":
    sys.exit(main())
