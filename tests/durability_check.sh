#!/usr/bin/env bash
# Under strace: every report reaches the disk before it is renamed into place,
# and the directory is flushed after the rename. Skipped where strace is
# missing or cannot trace. (LeakSanitizer cannot work under a tracer, so it is off.)
#
#   durability_check.sh PROGRAM EXAMPLE_DIR
set -u
program=$(realpath "$1")
example=$(realpath "$2")
command -v strace >/dev/null || { echo "skipped: strace is not installed"; exit 77; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$example"/* "$scratch/"
cd "$scratch" || exit 2
strace -o /dev/null true 2>/dev/null || { echo "skipped: strace cannot trace here"; exit 77; }
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
