#!/usr/bin/env bash
# Measures alocacao-importar on a registrar's spreadsheet of 10,000 lines
# (tools/make_spreadsheet.py: 7,000 classes, 150 rooms): its CPU and wall
# time; the target is under a second.
#   tools/import_timing.sh PROGRAM_DIR
set -eu
programs=$(realpath "$1")
root=$(realpath "$(dirname "$0")/..")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$root/tools/make_spreadsheet.py" "$work" --classes 7000 --rooms 150 --faults --seed 10
lines=$(($(wc -l <"$work/turmas.csv") - 1))
(cd "$work" && /usr/bin/time -f "%U %S %e" "$programs/alocacao-importar" turmas.csv salas.csv --turnos turnos.txt \
    >/dev/null 2>time.txt || [ $? -eq 3 ])
awk -v lines="$lines" 'END {printf "import of %d spreadsheet lines: %.2f s CPU %.2f s wall (target: under 1 s)\n", lines, $1 + $2, $3}' \
    "$work/time.txt"
