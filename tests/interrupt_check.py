#!/usr/bin/env python3
"""Ctrl-C and SIGTERM end alocacao-otimo at any moment of a long planning,
or of the optimum of a week too large for one model, within a second,
whether or not --limite runs each solve in a child: the signal goes to the
whole process group, as an interactive shell sends it.
The program must end by that signal, say so on standard error, leave
planejamento.txt as it was and no temporary file, and leave no child behind.
SIGTERM to alocacao-importar alone ends the converter of its .xlsx too.

    interrupt_check.py BUILD_DIR EXAMPLE_DIR
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

WITHIN = 1.5  # seconds: a second, and room for a busy machine
NOTICE = b"Interrompido: nenhum arquivo ficou pela metade"


def group_alive(group):
    """Whether a process of the group still runs (a zombie that no init reaps does not)."""
    for entry in os.listdir("/proc"):
        try:
            with open("/proc/%s/stat" % entry) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except (OSError, IndexError):
            continue
        if int(fields[2]) == group and fields[0] != "Z":
            return True
    return False


def wait_for_end(process, outlived):
    """Waits for the signalled process, then a second for its group; a fault
    (`outlived` when a child lives on), or None, and the seconds to its end."""
    sent = time.monotonic()
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        return "still running 10 s after the signal", 10.0
    took = time.monotonic() - sent
    for _ in range(20):  # a child that its parent ended is reaped soon after
        if not group_alive(process.pid):
            return None, took
        time.sleep(0.05)
    os.killpg(process.pid, signal.SIGKILL)
    return outlived, took


def interrupt(program, directory, arguments, delay, signal_number):
    """Runs the planning, sends the signal after `delay` s; a fault found, or None."""
    process = subprocess.Popen([program] + arguments, cwd=directory, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, start_new_session=True)
    time.sleep(delay)
    if process.poll() is not None:
        return "ended before the signal (status %d)" % process.returncode
    os.killpg(process.pid, signal_number)
    fault, took = wait_for_end(process, "a child solver outlived the program")
    if fault:
        return fault
    error = process.stderr.read()
    if process.returncode != -signal_number:
        return "status %d, not the signal's" % process.returncode
    if took > WITHIN:
        return "ended %.2f s after the signal" % took
    if NOTICE not in error:
        return "no notice on standard error: %r" % error
    with open(os.path.join(directory, "planejamento.txt"), "rb") as planning:
        if planning.read() != b"antes\n":
            return "planejamento.txt changed"
    left = [name for name in os.listdir(directory) if "." in name and len(name.rsplit(".", 1)[1]) == 6]
    if left:
        return "temporary files left: %s" % left
    return None


def interrupt_import(program, directory):
    """SIGTERM to alocacao-importar alone while xlsx2csv converts its .xlsx (a
    stand-in that notes its blocked signals and sleeps): the importer must
    end its converter as it ends, by that signal, writing no instance file,
    and the converter starts with the importer's blocked signals (SIGUSR1),
    none of those it holds while it starts one; a fault found, or None."""
    bin_dir = os.path.join(directory, "bin")
    os.makedirs(bin_dir)
    with open(os.path.join(bin_dir, "xlsx2csv"), "w") as fake:
        fake.write(f"#!{sys.executable}\nimport os, signal, time\n"  # the note appears whole, by its rename
                   "open('noting', 'w').write(' '.join(map(str, sorted(signal.pthread_sigmask(signal.SIG_BLOCK, [])))) + '.')\n"
                   "os.rename('noting', 'converting')\n"
                   "time.sleep(30)\n")
    os.chmod(os.path.join(bin_dir, "xlsx2csv"), 0o755)
    with open(os.path.join(directory, "turmas.xlsx"), "wb") as sheet:
        sheet.write(b"PK\x03\x04")
    environment = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ.get("PATH", ""))
    process = subprocess.Popen([program, "turmas.xlsx"], cwd=directory, env=environment, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True,
                               preexec_fn=lambda: signal.pthread_sigmask(signal.SIG_BLOCK, [signal.SIGUSR1]))
    for _ in range(100):
        if os.path.exists(os.path.join(directory, "converting")):
            break
        time.sleep(0.05)
    else:
        os.killpg(process.pid, signal.SIGKILL)
        return "the converter never started"
    process.send_signal(signal.SIGTERM)  # to the importer alone, as `kill PID` sends it
    fault, _ = wait_for_end(process, "the converter outlived the importer")
    if fault:
        return fault
    if process.returncode != -signal.SIGTERM:
        return "status %d, not the signal's" % process.returncode
    if os.path.exists(os.path.join(directory, "demanda.txt")):
        return "instance files written"
    with open(os.path.join(directory, "converting")) as mask:
        blocked = mask.read()
    if blocked != "%d." % signal.SIGUSR1:
        return "the converter started with blocked signals %s, not the importer's" % blocked
    return None


def main():
    build, example = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    program = os.path.join(build, "alocacao-otimo")
    scratch = tempfile.mkdtemp()
    failed = 0
    try:
        planning, stable = ["--planejar"], "mesma_sala|30|\n"
        cases = [("", planning, None, 0.3, signal.SIGINT), ("", planning, None, 1.0, signal.SIGINT),
                 ("", planning, None, 2.0, signal.SIGINT), ("", planning, None, 0.8, signal.SIGTERM),
                 (" with --limite", planning + ["--limite", "60"], None, 1.2, signal.SIGINT),
                 # the optimum with stability, in its relaxation's barrier (0.2 s to 1.4 s)
                 (", the optimum with mesma_sala|30|", [], stable, 0.8, signal.SIGINT)]
        for label, arguments, rules, delay, signal_number in cases:
            directory = os.path.join(scratch, "run")
            shutil.rmtree(directory, ignore_errors=True)
            shutil.copytree(example, directory)
            with open(os.path.join(directory, "planejamento.txt"), "w") as planning_file:
                planning_file.write("antes\n")
            if rules:
                with open(os.path.join(directory, "regras.txt"), "w") as rules_file:
                    rules_file.write(rules)
            fault = interrupt(program, directory, arguments, delay, signal_number)
            name = "%s at %.1f s%s" % (signal.Signals(signal_number).name, delay, label)
            if fault:
                print("FAIL: %s: %s" % (name, fault))
                failed += 1
            else:
                print("ok: %s" % name)
        directory = os.path.join(scratch, "import")
        os.makedirs(directory)
        fault = interrupt_import(os.path.join(build, "alocacao-importar"), directory)
        print("FAIL: the importer: %s" % fault if fault else "ok: the importer and its converter")
        failed += fault is not None
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
