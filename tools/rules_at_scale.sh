#!/usr/bin/env bash
# Measures what room rules cost the optimum at scale, CPU time and peak
# memory against the same instance without them: a generated university of
# 200 rooms and 5,000 sections with one section avoiding 100 of the rooms
# (target: at most 2 x each), and one of 93 rooms and 805 sections where
# four classes in five may use only their own list of four to ten rooms, as
# a real timetable's classes do (target: at most 1.5 x the time).
#   tools/rules_at_scale.sh PROGRAM_DIR
set -eu
programs=$(realpath "$1")
tools=$(realpath "$(dirname "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
measure() {  # prints "CPU_SECONDS PEAK_KB" of the optimum in directory $1
    (cd "$1" && /usr/bin/time -f "%U %S %M" "$programs/alocacao-otimo" >/dev/null 2>time.txt || true)
    awk 'END {printf "%.2f %d\n", $1 + $2, $3}' "$1/time.txt"
}

python3 "$tools/make_instance.py" "$work/plain" --rooms 200 --sections 5000 --per-slot 190 --seed 3 >/dev/null
cp -R "$work/plain" "$work/avoiding"
IFS='|' read -r type course section _ <"$work/plain/demanda.txt"
for room in $(seq 2 2 200); do echo "evita|$type|$course|$section|$room|"; done >"$work/avoiding/regras.txt"
read -r plain_cpu plain_kb <<<"$(measure "$work/plain")"
read -r rules_cpu rules_kb <<<"$(measure "$work/avoiding")"
echo "optimum of 200 rooms, 5000 sections: ${plain_cpu} s, ${plain_kb} KB without rules;" \
    "${rules_cpu} s, ${rules_kb} KB with one section avoiding 100 rooms"
awk -v a="$rules_cpu" -v b="$plain_cpu" -v c="$rules_kb" -v d="$plain_kb" \
    'BEGIN {printf "rules at scale: %.2f x the time, %.2f x the memory (target: at most 2 each)\n", a / b, c / d}'

python3 "$tools/make_instance.py" "$work/lists" --rooms 93 --sections 805 --per-slot 70 --seed 93 >/dev/null
cp -R "$work/lists" "$work/lists-plain"
python3 - "$work/lists" <<'PYTHON'
"""Four classes in five get a list of four to ten rooms: rooms that seat them, and a few more."""
import os, random, sys
directory = sys.argv[1]
draw = random.Random(805)
seats = {int(r.split("|")[0]): int(r.split("|")[1]) for r in open(os.path.join(directory, "capacidade.txt")) if r.strip()}
rooms = sorted(room for room in seats if room > 0)
lines = []
for record in open(os.path.join(directory, "demanda.txt")):
    kind, course, section, students = record.strip().split("|")[:4]
    if draw.random() < 0.2:
        continue
    fitting = [room for room in rooms if seats[room] >= int(students)] or rooms[-3:]
    chosen = draw.sample(fitting, min(len(fitting), draw.randint(3, 8))) + draw.sample(rooms, 2)
    lines.append(f"salas|{kind}|{course}|{section}|{','.join(str(room) for room in sorted(set(chosen)))}|")
open(os.path.join(directory, "regras.txt"), "w").write("\n".join(lines) + "\n")
PYTHON
read -r plain_cpu _ <<<"$(measure "$work/lists-plain")"
read -r rules_cpu _ <<<"$(measure "$work/lists")"
echo "optimum of 93 rooms, 805 sections: ${plain_cpu} s without rules, ${rules_cpu} s with $(wc -l <"$work/lists/regras.txt") lists of allowed rooms"
awk -v a="$rules_cpu" -v b="$plain_cpu" \
    'BEGIN {printf "allowed lists: %.2f x the time (target: at most 1.5)\n", (a > 0.005 ? a : 0.005) / (b > 0.005 ? b : 0.005)}'
