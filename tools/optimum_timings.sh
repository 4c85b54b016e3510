#!/usr/bin/env bash
# Measures where users wait on alocacao-otimo: the faculty's optimum, alone
# and with mesma_sala|30| (its gap to the bound too), the planning of the
# faculty and of the department with mesma_sala|200|, the prices of 14 rules
# of a department under mesma_sala|200|, and the optimum of generated
# 200-room universities whose rooms have many seat sizes (86, and 126 spread
# wider).
# Prints the CPU time and the wall time of each.
#   tools/optimum_timings.sh PROGRAM_DIR
set -eu
programs=$(realpath "$1")
root=$(realpath "$(dirname "$0")/..")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
measure() {  # measure NAME DIRECTORY ARGUMENTS...: prints the name, CPU and wall seconds, and any gap
    local name=$1 directory=$2
    shift 2
    (cd "$directory" && /usr/bin/time -f "%U %S %e" "$programs/alocacao-otimo" "$@" >console.txt 2>time.txt || true)
    gap=$(grep -a -o 'Diferen.*' "$directory/console.txt" | head -n 1 || true)
    awk -v name="$name" -v gap="$gap" 'END {printf "%-58s %7.2f s CPU %7.2f s wall %s\n", name, $1 + $2, $3, gap}' \
        "$directory/time.txt"
}
# A university of 200 rooms and 5000 sections whose seats are spread over `sizes` sizes.
university() {  # university DIRECTORY SIZES
    python3 "$root/tools/make_instance.py" "$1" --rooms 200 --sections 5000 --per-slot 190 --seed 3 >/dev/null
    python3 - "$1/capacidade.txt" "$2" <<'PYTHON'
import random, sys
path, sizes = sys.argv[1], int(sys.argv[2])
rows = [line.strip().split("|") for line in open(path) if line.strip()]
for seed in range(10000):
    draw = random.Random(seed)
    seats = [max(5, int(r[1]) + draw.randint(-30, 30)) if int(r[0]) > 0 else int(r[1]) for r in rows]
    if len({s for r, s in zip(rows, seats) if int(r[0]) > 0}) == sizes:
        open(path, "w").write("".join(f"{r[0]}|{s}|\n" for r, s in zip(rows, seats)))
        break
PYTHON
}
cp -R "$root/examples/faculdade" "$work/faculty"
measure "faculty optimum" "$work/faculty"
cp -R "$root/examples/faculdade" "$work/faculty-stable"
echo 'mesma_sala|30|' >"$work/faculty-stable/regras.txt"
measure "faculty optimum, mesma_sala|30|" "$work/faculty-stable"
cp -R "$root/examples/department" "$work/department-stable"
echo 'mesma_sala|200|' >"$work/department-stable/regras.txt"
measure "department planning, mesma_sala|200|" "$work/department-stable" --planejar
cp -R "$root/examples/department" "$work/department-rules"
awk -F'|' 'NR % 11 == 1 && pinned < 5 {print "fixa|" $1 "|" $2 "|" $3 "|" (++pinned) "|"}
           NR % 11 == 6 && avoided < 8 {print "evita|" $1 "|" $2 "|" $3 "|" (avoided++ % 7 + 1) "|"}' \
    "$root/examples/department/demanda.txt" >"$work/department-rules/regras.txt"
printf 'fechada|6|6|07:30|12:00|\nmesma_sala|200|\n' >>"$work/department-rules/regras.txt"
measure "department, 14 rules priced under mesma_sala|200|" "$work/department-rules" --planejar=regras
measure "faculty planning" "$work/faculty" --planejar
python3 "$root/tools/make_instance.py" "$work/sizes86" --rooms 200 --sections 5000 --per-slot 190 --seed 3 >/dev/null
awk -F'|' 'BEGIN { srand(7) } $1 > 0 { $2 += int(rand() * 9) - 4 } { print }' OFS='|' \
    "$work/sizes86/capacidade.txt" >"$work/sizes86/seats" && mv "$work/sizes86/seats" "$work/sizes86/capacidade.txt"
sizes=$(cut -d'|' -f2 "$work/sizes86/capacidade.txt" | sort -u | wc -l)
measure "200 rooms of $sizes seat sizes, 5000 sections, optimum" "$work/sizes86"
university "$work/sizes126" 126
measure "200 rooms of 126 seat sizes, 5000 sections, optimum" "$work/sizes126"
