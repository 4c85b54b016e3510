#!/usr/bin/env python3
"""Drives alocacao through pipes as another program would: waits for each
prompt before typing. Output must be flushed before every read, else the
prompt never arrives and the check fails after a timeout.

    pipe_check.py PROGRAM EXAMPLE_DIR
"""
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

PROMPT = b"Escolha: "
TIMEOUT = 10.0


def wait_for(process, seen, count):
    """Reads standard output until `count` prompts have arrived; False on timeout."""
    deadline = time.monotonic() + TIMEOUT
    while seen.count(PROMPT) < count:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([process.stdout], [], [], left)[0]:
            return False
        chunk = os.read(process.stdout.fileno(), 65536)
        if not chunk:
            return False
        seen.extend(chunk)
    return True


def main():
    program, example = os.path.abspath(sys.argv[1]), sys.argv[2]
    with tempfile.TemporaryDirectory() as scratch:
        for name in os.listdir(example):
            shutil.copy(os.path.join(example, name), scratch)
        process = subprocess.Popen([program], cwd=scratch, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                   env=dict(os.environ, LC_ALL="C", LC_CTYPE="C", LANG="C"))
        seen = bytearray()
        steps = [(1, b""), (2, b"1\n"), (3, b"2\n")]
        for count, typed in steps:
            if typed:
                process.stdin.write(typed)
                process.stdin.flush()
            if not wait_for(process, seen, count):
                process.kill()
                print("FAIL: no prompt %d within %.0f s after typing %r; output so far ends %r"
                      % (count, TIMEOUT, typed, bytes(seen[-200:])))
                return 1
        if b"Fun\xe7\xe3o Objetivo= " not in seen or b"numero de inviabilidades" not in seen:
            print("FAIL: the choices' results came after the next prompt")
            return 1
        process.stdin.write(b"0\n")
        process.stdin.close()
        status = process.wait(timeout=TIMEOUT)
        if status != 0:
            print("FAIL: exit status %d" % status)
            return 1
    print("every prompt arrived before its answer was typed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
