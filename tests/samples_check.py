"""Every console sample of the README and docs/ is what the programs print.

A sample is an indented block right after a line

    <!-- sample EXAMPLE_DIR: COMMAND -->

COMMAND runs in bash, in a fresh copy of EXAMPLE_DIR, with the build's
programs first on the PATH, a UTF-8 locale and SOURCE_DATE_EPOCH set. The
block's lines must appear in its output in order, each right after the one
before, except where the block has a line "...", which stands for any lines.
Blanks at the ends of lines are not compared, and the copy's path reads as
"~/salas".

    samples_check.py BUILD_DIR PROJECT_DIR
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

MARKER = re.compile(r"^\s*<!-- sample (\S+): (.*) -->\s*$")


def samples(path):
    """(line of the marker, example, command, lines of the block) of every sample in a Markdown file."""
    lines = open(path, encoding="utf-8").read().split("\n")
    for number, line in enumerate(lines):
        match = MARKER.match(line)
        if not match:
            continue
        block, indent, i = [], None, number + 1
        while i < len(lines) and not lines[i].strip():
            i += 1
        if i < len(lines):
            indent = len(lines[i]) - len(lines[i].lstrip(" "))
        while indent and i < len(lines) and (not lines[i].strip() or lines[i].startswith(" " * indent)):
            block.append(lines[i][indent:].rstrip())
            i += 1
        while block and not block[-1]:
            block.pop()
        yield number + 1, match.group(1), match.group(2), block


def matches(block, output):
    """Whether the block's runs (split at "...") appear in the output in order, each run contiguous."""
    runs, run = [], []
    for line in block:
        if line == "...":
            runs.append(run)
            run = []
        else:
            run.append(line)
    runs.append(run)
    at = 0
    for run in runs:
        if not run:
            continue
        while at + len(run) <= len(output) and output[at:at + len(run)] != run:
            at += 1
        if at + len(run) > len(output):
            return False
        at += len(run)
    return True


def run_sample(build, project, example, command):
    with tempfile.TemporaryDirectory() as scratch:
        where = os.path.join(scratch, "salas")
        shutil.copytree(os.path.join(project, example), where)
        environment = dict(os.environ, PATH=build + os.pathsep + os.environ["PATH"], LC_ALL="C.UTF-8",
                           SOURCE_DATE_EPOCH="1780000000")
        result = subprocess.run(["bash", "-c", command], cwd=where, env=environment, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
        text = result.stdout.decode("utf-8", "replace").replace(where, "~/salas")
        return [line.rstrip() for line in text.split("\n")]


def main():
    build, project = os.path.realpath(sys.argv[1]), os.path.realpath(sys.argv[2])
    documents = [os.path.join(project, "README.md")]
    documents += sorted(os.path.join(project, "docs", name) for name in os.listdir(os.path.join(project, "docs"))
                        if name.endswith(".md"))
    count, failures = 0, 0
    for document in documents:
        for line, example, command, block in samples(document):
            count += 1
            name = f"{os.path.relpath(document, project)}, line {line}"
            if not block:
                print(f"FAIL: {name}: the marker has no indented block after it")
                failures += 1
                continue
            output = run_sample(build, project, example, command)
            if not matches(block, output):
                failures += 1
                print(f"FAIL: {name}: `{command}` on {example} no longer prints this sample:")
                print("\n".join("    " + text for text in block))
                print("  it prints:")
                print("\n".join("    " + text for text in output[:60]))
    print(f"{count - failures} passed, {failures} failed")
    return 1 if failures or count == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
