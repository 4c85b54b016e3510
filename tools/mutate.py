#!/usr/bin/env python3
"""Seeds generic single-site faults into the product sources and runs the tests.

    tools/mutate.py [--mutants N] [--seed S] [--work DIR] [--jobs J] [--since COMMIT] [--only FOLDER]

Each mutant changes one place of one file under io/, model/, search/,
report/ or app/: a relational or equality operator flipped, && and ||
swapped, a whole-number literal changed by one, true and false swapped in a
return, or a call statement deleted. Lines the compiler alone reads
(static_assert, a printf format attribute) are not mutated, and three kinds
of mutant are left out, as they cannot change what any run shows: a size
of a buffer or table that its
data never fills (a dimension in brackets, a constant named ..._SIZE,
..._LENGTH or ..._BUFFER, a std::array's dimension made larger); the deleted release of a resource (fclose, close,
closedir, va_end) in a process that ends soon after; and a loop over the sections
started at entry 0, the empty section, instead of 1. The same seed always
draws the same mutants. The mutants are applied to a copy of the project in DIR (the work
tree is never touched), whose build is updated incrementally; ctest runs
with a timeout, stopping at the first failing test, and the copy's file is
restored whatever happens. Prints every survivor and the score, killed /
(killed + survived); mutants that do not compile are left out. With --since,
only the lines added or changed since COMMIT are mutated: a change's own;
with --only, only the files under FOLDER.
"""
import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys

SOURCE_FOLDERS = ["io", "model", "search", "report", "app"]
FLIPS = {" < ": " <= ", " <= ": " < ", " > ": " >= ", " >= ": " > ",
         " == ": " != ", " != ": " == ", " && ": " || ", " || ": " && "}
FLIP_PATTERN = re.compile("|".join(re.escape(op) for op in FLIPS))
NUMBER = re.compile(r"(?<![\w.'])(\d+)(?![\w.'])")
RETURN_BOOL = re.compile(r"\breturn (true|false);")
LOOP_FROM_ONE = re.compile(r"\bfor \((int|int32_t) (section|index) = 1;")
SIZE_DECLARATION = re.compile(r"\b[A-Z_]*(SIZE|LENGTH|BUFFER)\b\s*=|\b(char|int)\s+\w+\[\d+\]")
COMPILE_CHECKS = ("static_assert", "format(printf")  # checked by the compiler alone
RELEASE_CALL = re.compile(r"^\s*(std::)?(fclose|close|closedir|va_end)\(")
CALL_STATEMENT = re.compile(r"^(\s*)(?!return\b|if\b|while\b|for\b|else\b|case\b|do\b)[A-Za-z_][\w:]*(\.|->)?[\w:]*\(.*\);\s*$")


def code_mask(line):
    """Which characters of the line are code: not in a literal or a comment."""
    mask, quote, i = [True] * len(line), None, 0
    while i < len(line):
        c = line[i]
        if quote:
            mask[i] = False
            if c == "\\":
                if i + 1 < len(line):
                    mask[i + 1] = False
                i += 2
                continue
            if c == quote:
                quote = None
        elif c in "\"'":
            quote, mask[i] = c, False
        elif line.startswith("//", i):
            for j in range(i, len(line)):
                mask[j] = False
            break
        i += 1
    return mask


def array_dimension_spans(line):
    """The (start, end) of each std::array's template arguments on the line."""
    spans = []
    for m in re.finditer(r"std::array<", line):
        depth, i = 1, m.end()
        while i < len(line) and depth > 0:
            depth += {"<": 1, ">": -1}.get(line[i], 0)
            i += 1
        spans.append((m.end(), i))
    return spans


def sites_of(path, lines):
    """Every (path, line index, start, end, replacement, description) of a file."""
    sites = []
    for index, line in enumerate(lines):
        stripped = line.strip()
        if not stripped or stripped.startswith(("#", "//", "*", "/*")) or any(check in line for check in COMPILE_CHECKS):
            continue
        mask = code_mask(line)
        in_code = lambda m: all(mask[m.start():m.end()])
        for m in FLIP_PATTERN.finditer(line):
            if in_code(m):
                sites.append((path, index, m.start(), m.end(), FLIPS[m.group()],
                              "%r -> %r" % (m.group().strip(), FLIPS[m.group()].strip())))
        for m in NUMBER.finditer(line):
            if in_code(m) and not SIZE_DECLARATION.search(line):
                value = int(m.group())
                changes = {value + 1, max(value - 1, 0)} - {value}
                if any(start <= m.start() < end for start, end in array_dimension_spans(line)):
                    changes.discard(value + 1)  # a table larger than its data holds the same
                if value == 1 and LOOP_FROM_ONE.search(line) and line.find(" = 1;") + 3 == m.start():
                    changes.discard(0)
                for changed in sorted(changes):
                    sites.append((path, index, m.start(), m.end(), str(changed), "%d -> %d" % (value, changed)))
        for m in RETURN_BOOL.finditer(line):
            if in_code(m):
                other = "false" if m.group(1) == "true" else "true"
                sites.append((path, index, m.start(), m.end(), "return %s;" % other, "return %s" % other))
        m = CALL_STATEMENT.match(line)
        if m and not RELEASE_CALL.match(line):
            sites.append((path, index, len(m.group(1)), len(line.rstrip("\n")), "{}", "call deleted"))
    return sites


def all_sites(root):
    """The sites of every .cpp file of the source folders, their subfolders included."""
    sites = []
    for folder in SOURCE_FOLDERS:
        for directory, _, names in sorted(os.walk(os.path.join(root, folder))):
            for name in sorted(names):
                if name.endswith(".cpp"):
                    path = os.path.relpath(os.path.join(directory, name), root)
                    with open(os.path.join(root, path), encoding="latin-1") as f:
                        sites += sites_of(path, f.read().splitlines(keepends=True))
    return sites


def changed_lines(root, commit):
    """{path: set of 1-based line numbers} added or changed since `commit`."""
    diff = subprocess.run(["git", "diff", "-U0", commit, "--"] + SOURCE_FOLDERS, cwd=root, check=True,
                          capture_output=True, text=True).stdout
    changed, path = {}, None
    for line in diff.splitlines():
        if line.startswith("+++ "):
            path = line[6:] if line.startswith("+++ b/") else None
        elif line.startswith("@@") and path:
            start, _, count = line.split("+")[1].split(" ")[0].partition(",")
            first = int(start)
            changed.setdefault(path, set()).update(range(first, first + (int(count) if count else 1)))
    return changed


def run(command, timeout):
    """The command's exit status; on timeout its whole process group is killed
    (a mutant that loops forever leaves no process behind) and -1 returned."""
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               start_new_session=True)
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        return -1
    finally:
        if process.poll() is None:
            os.killpg(process.pid, signal.SIGKILL)


def build_and_test(build, jobs):
    """'uncompiled', 'killed' or 'survived'."""
    if run(["cmake", "--build", build, "-j", str(jobs)], 900) != 0:
        return "uncompiled"
    tests = ["ctest", "--test-dir", build, "-j", str(jobs), "--stop-on-failure", "--timeout", "60"]
    return "survived" if run(tests, 600) == 0 else "killed"


def copy_project(root, source):
    """Copies the project's files (committed or not) into `source`. Only files
    that differ are written, and they get the time of their copy, so that the
    build there stays incremental and rebuilds what changed."""
    listed = subprocess.run(["git", "ls-files", "-co", "--exclude-standard"], cwd=root, check=True,
                            capture_output=True, text=True).stdout.splitlines()
    # Files that left the project leave the copy too (an expected file of a test, say).
    kept = set(listed)
    for directory, _, names in os.walk(source):
        for name in names:
            relative = os.path.relpath(os.path.join(directory, name), source)
            if relative not in kept:
                os.remove(os.path.join(directory, name))
    for name in listed:
        origin, copy = os.path.join(root, name), os.path.join(source, name)
        if not os.path.isfile(origin) or os.path.islink(origin):
            continue
        with open(origin, "rb") as f:
            content = f.read()
        if os.path.isfile(copy):
            with open(copy, "rb") as f:
                if f.read() == content:
                    continue
        os.makedirs(os.path.dirname(copy), exist_ok=True)
        shutil.copy(origin, copy)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--mutants", type=int, default=40)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--work", default="build-mutation")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--since", help="mutate only the lines changed since this commit")
    parser.add_argument("--only", help="mutate only the files under this folder (app/importar, report/board)")
    args = parser.parse_args()
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    work = os.path.abspath(os.path.join(root, args.work))
    source, build = os.path.join(work, "source"), os.path.join(work, "build")
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    signal.signal(signal.SIGHUP, lambda *_: sys.exit(1))

    copy_project(root, source)
    os.chdir(source)
    subprocess.run(["cmake", "-S", ".", "-B", build, "-DCMAKE_BUILD_TYPE=Release"],
                   stdout=subprocess.DEVNULL, check=True)
    if build_and_test(build, args.jobs) != "survived":
        sys.exit("the unmutated sources do not build and pass their tests")
    sites = all_sites(source)
    if args.only:
        sites = [site for site in sites if site[0].startswith(args.only.rstrip("/") + "/")]
    if args.since:
        changed = changed_lines(root, args.since)
        sites = [site for site in sites if site[1] + 1 in changed.get(site[0], ())]
    chosen = random.Random(args.seed).sample(sites, min(args.mutants, len(sites)))
    counts = {"killed": 0, "survived": 0, "uncompiled": 0}
    for number, (path, index, start, end, replacement, description) in enumerate(chosen, 1):
        with open(path, encoding="latin-1") as f:
            original = f.read()
        lines = original.splitlines(keepends=True)
        line = lines[index]
        lines[index] = line[:start] + replacement + line[end:]
        try:
            with open(path, "w", encoding="latin-1") as f:
                f.write("".join(lines))
            outcome = build_and_test(build, args.jobs)
        finally:
            with open(path, "w", encoding="latin-1") as f:
                f.write(original)
        counts[outcome] += 1
        print("%3d/%d %-10s %s:%d: %s    %s" % (number, len(chosen), outcome, path, index + 1, description,
                                               line.strip()), flush=True)
    build_and_test(build, args.jobs)  # leave the build as the sources are
    judged = counts["killed"] + counts["survived"]
    score = 100.0 * counts["killed"] / judged if judged else 0.0
    print("\n%d sites; %d mutants drawn (seed %d): %d killed, %d survived, %d did not compile"
          % (len(sites), len(chosen), args.seed, counts["killed"], counts["survived"], counts["uncompiled"]))
    print("score: %.1f%%" % score)


if __name__ == "__main__":
    main()
