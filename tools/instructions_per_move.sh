#!/usr/bin/env bash
# Counts the machine instructions of one annealing run of an example (the
# department by default), console formatting included, with callgrind
# (repeatable counts), and divides them by the number of moves.
#   tools/instructions_per_move.sh PROGRAM [EXAMPLE_DIRECTORY]
set -eu
program=$(realpath "$1")
example=$(realpath "${2:-$(dirname "$0")/../examples/department}")
if ! command -v valgrind >/dev/null; then
    echo "instructions per move: valgrind is not installed, not measured"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$example"/* "$work"/
cd "$work"
printf '1\n2\n0\n' | LC_ALL=C valgrind --tool=callgrind --callgrind-out-file=profile "$program" >/dev/null 2>&1
anneal=$(callgrind_annotate --inclusive=yes profile 2>/dev/null | awk '/:anneal\(\) / {gsub(",", "", $1); print $1; exit}')
id=$(sed -n 's/^c\{0,1\}fn=(\([0-9]*\)) make_neighbour().*/\1/p' profile | head -n 1)
moves=$(awk -v id="$id" '$0 ~ "^cfn=\\(" id "\\)" {getline; split($0, a, "[= ]"); n += a[2]} END {print n}' profile)
if [ -z "$anneal" ] || [ -z "$moves" ] || [ "$moves" -eq 0 ]; then
    echo "instructions per move: the profile names no annealing moves, not measured"
    exit 1
fi
echo "annealing run of $(basename "$example"): $anneal instructions, $moves moves"
echo "instructions per move: $((anneal / moves)) (target: at most 600)"
