#!/usr/bin/env bash
# Measures where users wait on alocacao-otimo: the faculty's optimum, alone
# and with mesma_sala|30| (within --limite 60), the planning of the faculty
# and of the department with mesma_sala|200|, and the optimum of a generated
# 200-room university whose rooms have many seat sizes. Prints the CPU time
# and the wall time of each.
#   tools/optimum_timings.sh PROGRAM_DIR
set -eu
programs=$(realpath "$1")
root=$(realpath "$(dirname "$0")/..")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
measure() {  # measure NAME DIRECTORY ARGUMENTS...: prints the name, CPU and wall seconds
    local name=$1 directory=$2
    shift 2
    (cd "$directory" && /usr/bin/time -f "%U %S %e" "$programs/alocacao-otimo" "$@" >/dev/null 2>time.txt || true)
    awk -v name="$name" 'END {printf "%-52s %7.2f s CPU %7.2f s wall\n", name, $1 + $2, $3}' "$directory/time.txt"
}
cp -R "$root/examples/faculdade" "$work/faculty"
measure "faculty optimum" "$work/faculty"
cp -R "$root/examples/faculdade" "$work/faculty-stable"
echo 'mesma_sala|30|' >"$work/faculty-stable/regras.txt"
measure "faculty optimum, mesma_sala|30|, --limite 60" "$work/faculty-stable" --limite 60
cp -R "$root/examples/department" "$work/department-stable"
echo 'mesma_sala|200|' >"$work/department-stable/regras.txt"
measure "department planning, mesma_sala|200|" "$work/department-stable" --planejar
measure "faculty planning" "$work/faculty" --planejar
python3 "$root/tools/make_instance.py" "$work/sizes" --rooms 200 --sections 5000 --per-slot 190 --seed 3 >/dev/null
awk -F'|' 'BEGIN { srand(7) } $1 > 0 { $2 += int(rand() * 9) - 4 } { print }' OFS='|' \
    "$work/sizes/capacidade.txt" >"$work/sizes/seats" && mv "$work/sizes/seats" "$work/sizes/capacidade.txt"
sizes=$(cut -d'|' -f2 "$work/sizes/capacidade.txt" | sort -u | wc -l)
measure "200 rooms of $sizes seat sizes, 5000 sections, optimum" "$work/sizes"
