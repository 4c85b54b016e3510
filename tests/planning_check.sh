#!/usr/bin/env bash
# Every figure that alocacao-otimo --planejar ranks is the optimum's of the
# changed instance itself: for random instances, the students above
# capacity and the cost of records of planejamento.txt are compared with
# alocacao-otimo run on a copy whose capacidade.txt carries that change (a
# later record for a room replaces the earlier one). Every STRIDE-th record
# is compared, starting at a different one in each instance. Every other
# instance has twin rooms (nine rooms of four sizes), whose changes planning
# solves once, and rules that tell two rooms from their twins.
#
#   planning_check.sh BUILD_DIR [INSTANCES [STRIDE]]
set -u
export LC_ALL=C LC_CTYPE=C LANG=C
build=$(realpath "$1")
count=${2:-4}
stride=${3:-1}
tools=$(dirname "$(realpath "$0")")/../tools
command -v python3 >/dev/null || { echo "skipped: python3 is not installed"; exit 77; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
checked=0
# "students|cost" of the optimum that alocacao-otimo prints.
optimum_of() {
    awk '/^Custo .timo: |^Melhor custo encontrado: / { cost = $NF }
         /^Alunos acima da capacidade: / { students = $NF }
         END { print students "|" cost }'
}
for seed in $(seq 1 "$count"); do
    dir="$scratch/$seed"
    rooms=()
    [ $((seed % 2)) -eq 0 ] && rooms=(--rooms 9 --seat-sizes 4)
    python3 "$tools/make_instance.py" "$dir" --sections $((20 + 15 * seed)) --seed $((100 + seed)) "${rooms[@]}" || exit 2
    if [ ${#rooms[@]} -gt 0 ]; then
        IFS='|' read -r kind course section _ <"$dir/demanda.txt"
        printf 'evita|%s|%s|%s|2|\nfechada|3|2|07:30|11:10|\n' "$kind" "$course" "$section" >"$dir/regras.txt"
    fi
    (cd "$dir" && timeout 60 "$build/alocacao-otimo" --planejar >console) || { echo "FAIL: seed $seed: --planejar failed"; exit 1; }
    record=0
    while IFS='|' read -r column current proposed students variation cost violations proven; do
        [[ $column =~ ^[0-9]+$ ]] || continue  # the spare seats that hold at once, the rules' prices
        record=$((record + 1))
        [ $(((record + seed) % stride)) -eq 0 ] || continue
        copy="$scratch/copy"
        rm -rf "$copy" && mkdir "$copy" && cp "$dir"/capacidade.txt "$dir"/demanda.txt "$dir"/horario.txt "$dir"/peso.par "$copy/"
        [ -f "$dir/regras.txt" ] && cp "$dir/regras.txt" "$copy/"
        echo "$column|$proposed|" >>"$copy/capacidade.txt"
        alone=$(cd "$copy" && timeout 60 "$build/alocacao-otimo" | optimum_of)
        if [ "$alone" != "$students|$cost" ]; then
            [ $failed -lt 10 ] && echo "FAIL: seed $seed, column $column at $proposed seats: ranked $students|$cost, alone $alone"
            failed=$((failed + 1))
        fi
        checked=$((checked + 1))
    done < <(tail -n +2 "$dir/planejamento.txt")
done
if [ $failed -gt 0 ]; then
    echo "$failed of $checked ranked figures differ from the optimum of their changed instance"
    exit 1
fi
echo "$checked ranked figures equal the optimum of their changed instance"
