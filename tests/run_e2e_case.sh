#!/usr/bin/env bash
# Runs one end-to-end case of tests/e2e: the program in a scratch directory
# holding the case's input/ files, fed its `stdin` script with output piped,
# under LC_ALL, LC_CTYPE and LANG all C, whatever the machine's own locale. A
# `locale` file names another value for LC_ALL, or holds lines VARIABLE=value
# for any of the three. Compares the console bytes
# with expected/console, the exit status with expected/status, and every file
# left in the directory with expected/files/ (files written or changed) or
# input/ (files that must stay as they were); any other new entry (a link,
# a FIFO, a directory) fails the case. An optional `setup` script runs
# in the scratch directory first; `program` names another program of the same
# build (alocacao-otimo) to run instead; an optional `run` script replaces the
# plain run, for limits and redirections (it finds the program in $PROGRAM and
# the script in $STDIN; what it prints is the console). Both scripts find the
# build's programs in $BUILD_DIR. Standard error must be empty, or equal
# expected/stderr.
#
#   run_e2e_case.sh PROGRAM CASE_DIR            check the case
#   run_e2e_case.sh --update PROGRAM CASE_DIR   write the actual results as expected
set -u
update=no
if [ "${1:-}" = --update ]; then update=yes; shift; fi
program=$(realpath "$1")
case_dir=$(realpath "$2")
if [ -f "$case_dir/program" ]; then program="$(dirname "$program")/$(cat "$case_dir/program")"; fi

scratch=$(mktemp -d)
results=$(mktemp -d)
trap 'rm -rf "$scratch" "$results"' EXIT

if [ -d "$case_dir/input" ]; then cp -R "$case_dir/input/." "$scratch/"; fi
# Every input file gets one time, whatever order the copy took: the board
# flags a solucaof.txt older than solucao.txt.
find "$scratch" -type f -exec touch -d @1767225600 {} +
# A run that takes longer is a run that hangs: it is ended and fails (status 124).
TIME_LIMIT=60
export BUILD_DIR PROGRAM STDIN
BUILD_DIR=$(dirname "$program")
PROGRAM=$program
STDIN=$case_dir/stdin
if [ -f "$case_dir/setup" ]; then (cd "$scratch" && bash "$case_dir/setup") || exit 2; fi
# Entries that are not regular files (directories, links, FIFOs) before the run.
other_entries() { (cd "$scratch" && find . -mindepth 1 ! -type f | sort); }
entries_before=$(other_entries)

export LC_ALL=C LC_CTYPE=C LANG=C
if [ -f "$case_dir/locale" ] && grep -q = "$case_dir/locale"; then
    while IFS== read -r variable value; do
        case $variable in
        LC_ALL | LC_CTYPE | LANG) export "$variable=$value" ;;
        esac
    done <"$case_dir/locale"
elif [ -f "$case_dir/locale" ]; then
    LC_ALL=$(cat "$case_dir/locale")
fi

if [ -f "$case_dir/run" ]; then
    (cd "$scratch" && timeout "$TIME_LIMIT" bash "$case_dir/run" >"$results/console" 2>"$results/stderr")
else
    (cd "$scratch" && timeout "$TIME_LIMIT" "$program" <"$STDIN" >"$results/console" 2>"$results/stderr")
fi
echo $? >"$results/status"

# Files written or changed by the run, relative to the scratch directory.
changed_files() {
    (cd "$scratch" && find . -type f | sed 's|^\./||' | sort) | while read -r name; do
        if [ ! -f "$case_dir/input/$name" ] || ! cmp -s "$scratch/$name" "$case_dir/input/$name"; then
            echo "$name"
        fi
    done
}

if [ $update = yes ]; then
    rm -rf "$case_dir/expected"
    mkdir -p "$case_dir/expected/files"
    cp "$results/console" "$results/status" "$case_dir/expected/"
    if [ -s "$results/stderr" ]; then cp "$results/stderr" "$case_dir/expected/"; fi
    changed_files | while read -r name; do
        mkdir -p "$(dirname "$case_dir/expected/files/$name")"
        cp "$scratch/$name" "$case_dir/expected/files/$name"
    done
    echo "updated $case_dir/expected: review it with git diff before committing"
    exit 0
fi

failed=0
fail() { echo "FAIL: $*"; failed=1; }

cmp -s "$results/status" "$case_dir/expected/status" ||
    fail "exit status $(cat "$results/status"), expected $(cat "$case_dir/expected/status")"
if ! cmp -s "$results/console" "$case_dir/expected/console"; then
    fail "console output differs"
    diff <(cat -A "$case_dir/expected/console") <(cat -A "$results/console") | head -n 40
fi
if [ -f "$case_dir/expected/stderr" ]; then
    cmp -s "$results/stderr" "$case_dir/expected/stderr" || fail "standard error differs: $(head -c 500 "$results/stderr")"
elif [ -s "$results/stderr" ]; then
    fail "unexpected standard error: $(head -c 500 "$results/stderr")"
fi

expected_changed=$(cd "$case_dir/expected/files" 2>/dev/null && find . -type f | sed 's|^\./||' | sort)
actual_changed=$(changed_files)
[ "$expected_changed" = "$actual_changed" ] ||
    fail "files written: [$(echo $actual_changed)], expected [$(echo $expected_changed)]"
for name in $expected_changed; do
    if [ -f "$scratch/$name" ] && ! cmp -s "$scratch/$name" "$case_dir/expected/files/$name"; then
        fail "$name differs"
        diff <(cat -A "$case_dir/expected/files/$name") <(cat -A "$scratch/$name") | head -n 20
    fi
done
stray=$(comm -13 <(echo "$entries_before") <(other_entries))
[ -z "$stray" ] || fail "entries left that are not regular files: $(echo $stray)"
# Input files the run removed.
if [ -d "$case_dir/input" ]; then
    for name in $(cd "$case_dir/input" && find . -type f | sed 's|^\./||'); do
        [ -f "$scratch/$name" ] || fail "$name was removed"
    done
fi
exit $failed
