#!/usr/bin/env bash
# Measures what room rules cost the optimum at scale: a generated university
# of 200 rooms and 5,000 sections solved by alocacao-otimo as it is, and
# again with one section avoiding 100 of the rooms; prints the CPU time and
# peak memory of both and their ratios (target: at most 2 each).
#   tools/rules_at_scale.sh PROGRAM_DIR
set -eu
programs=$(realpath "$1")
tools=$(realpath "$(dirname "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$tools/make_instance.py" "$work/plain" --rooms 200 --sections 5000 --per-slot 190 --seed 3 >/dev/null
cp -R "$work/plain" "$work/avoiding"
IFS='|' read -r type course section _ <"$work/plain/demanda.txt"
for room in $(seq 2 2 200); do echo "evita|$type|$course|$section|$room|"; done >"$work/avoiding/regras.txt"
measure() {  # prints "CPU_SECONDS PEAK_KB" of the optimum in directory $1
    (cd "$1" && /usr/bin/time -f "%U %S %M" "$programs/alocacao-otimo" >/dev/null 2>time.txt || true)
    awk 'END {printf "%.2f %d\n", $1 + $2, $3}' "$1/time.txt"
}
read -r plain_cpu plain_kb <<<"$(measure "$work/plain")"
read -r rules_cpu rules_kb <<<"$(measure "$work/avoiding")"
echo "optimum of 200 rooms, 5000 sections: ${plain_cpu} s, ${plain_kb} KB without rules;" \
    "${rules_cpu} s, ${rules_kb} KB with one section avoiding 100 rooms"
awk -v a="$rules_cpu" -v b="$plain_cpu" -v c="$rules_kb" -v d="$plain_kb" \
    'BEGIN {printf "rules at scale: %.2f x the time, %.2f x the memory (target: at most 2 each)\n", a / b, c / d}'
