#!/usr/bin/env bash
# Generates COUNT departments at full load (7 or 8 meetings in the busiest
# slots, laboratories of five to eight blocks, sections meeting at the end of
# one day and the start of the next), runs a session 1 2 0 on each and then
# alocacao-otimo, which checks that both reports hold every meeting whole in
# one room. Fails on any lost room ("perdeu a sala") or any failed check.
#
#   tools/check_full_load.sh BUILD_DIR [COUNT]
set -u
build=$(realpath "$1")
count=${2:-50}
tools=$(dirname "$(realpath "$0")")
command -v python3 >/dev/null || { echo "skipped: python3 is not installed"; exit 77; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
for seed in $(seq 1 "$count"); do
    dir="$scratch/$seed"
    python3 "$tools/make_instance.py" "$dir" --sections 99 --seed "$seed" \
        --per-slot $((7 + seed % 2)) --labs 0.12 --day-edge 0.12 || exit 2
    (cd "$dir" && printf '1\n2\n0\n' | timeout 60 "$build/alocacao" >console && timeout 60 "$build/alocacao-otimo" >checks)
    status=$?
    if [ $status -ne 0 ] || grep -q "perdeu a sala" "$dir/console"; then
        echo "FAIL: seed $seed: exit status $status"
        grep -a -e Aviso -e "N.O confere" -e dividida -e ausente "$dir/console" "$dir/checks" | head -n 5
        failed=1
    fi
done
[ $failed -eq 0 ] && echo "$count full-load instances: every meeting whole in one room"
exit $failed
