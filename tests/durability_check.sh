#!/usr/bin/env bash
# Under strace: every report reaches the disk before it is renamed into place,
# and the directory is flushed after the rename; and when the second file of
# a set (a plan and its list of moves) cannot reach the disk, the plan in
# place stays and no temporary is left behind. Skipped where strace is
# missing or cannot trace. (LeakSanitizer cannot work under a tracer, so it is off.)
#
#   durability_check.sh PROGRAM EXAMPLE_DIR   (alocacao-otimo and -quadro beside PROGRAM)
set -u
program=$(realpath "$1")
example=$(realpath "$2")
# shellcheck source=tests/strace_scratch.sh
. "$(dirname "$0")/strace_scratch.sh"
cp "$example"/* .
if ! printf '1\n2\n0\n' | ASAN_OPTIONS=detect_leaks=0 timeout 60 strace -f -o trace \
        -e trace=openat,fsync,close,rename "$program" >/dev/null 2>&1; then
    echo "FAIL: the session did not end well under strace"
    exit 1
fi
# The file operations in order, descriptors replaced by the names they were opened with.
events=$(awk '
    / openat\(/ && / = [0-9]+$/ { split($0, q, "\""); name[$NF] = q[2]; if ($0 ~ /O_CREAT/) print "create " q[2] }
    / fsync\(/ { fd = $2; sub(/^fsync\(/, "", fd); sub(/\).*/, "", fd); print "fsync " name[fd] }
    / rename\(/ { split($0, q, "\""); print "rename " q[2] " " q[4] }
' trace | sed -E 's/\.txt\.[A-Za-z0-9]{6}/.txt.TMP/g')
expected=""
for report in disciplina.txt solucao.txt solucaof.txt; do
    expected+="create $report.TMP"$'\n'"fsync $report.TMP"$'\n'"rename $report.TMP $report"$'\n'"fsync ."$'\n'
done
if [ "$events" != "${expected%$'\n'}" ]; then
    echo "FAIL: file operations were:"
    echo "$events"
    exit 1
fi
echo "every report flushed to disk, renamed, and its directory flushed"

if ! strace_injects fsync sync probe; then
    echo "skipped the failing set: strace cannot inject faults here"
    exit 0
fi
programs=$(dirname "$program")
"$programs/alocacao-otimo" >/dev/null && "$programs/alocacao-quadro" >/dev/null || { echo "FAIL: no plan to keep"; exit 1; }
plan=$(cksum <otima.txt)
ASAN_OPTIONS=detect_leaks=0 strace -f -o /dev/null -e trace=fsync -e inject=fsync:error=EIO:when=2 \
    "$programs/alocacao-otimo" --manter alocacao.csv >console 2>&1
status=$?
said=$(grep -av '^strace:' console | tail -n 1)
left=$(ls | grep -E '\.[A-Za-z0-9]{6}$')
if [ $status -ne 1 ] || [ "$said" != "Arquivo mudancas.txt nao pode ser criado." ] || [ "$(cksum <otima.txt)" != "$plan" ] ||
        [ -e mudancas.txt ] || [ -n "$left" ]; then
    echo "FAIL: with mudancas.txt failing to reach the disk: status $status, said '$said', left: $left"
    ls
    exit 1
fi
echo "a plan whose list of moves cannot be written leaves the plan in place, and no temporary"
