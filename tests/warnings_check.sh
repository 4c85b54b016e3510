#!/usr/bin/env bash
# Lines that only cause warnings change nothing but the console: the example
# instance, and the same with lines of other departments and lines on a
# third weekday added at the start, in the middle and at the end of
# horario.txt, give byte-identical files after a session 1 2 0 and
# alocacao-otimo; only the console of the second names the added lines. A
# regras.txt of comments and blank lines changes nothing at all, console
# included.
#
#   tests/warnings_check.sh BUILD_DIR EXAMPLE_DIR
set -u
build=$(realpath "$1")
example=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

mkdir "$scratch/plain" "$scratch/warned" "$scratch/commented"
cp "$example"/* "$scratch/plain/"
cp "$example"/* "$scratch/warned/"
cp "$example"/* "$scratch/commented/"
printf '# nenhuma regra ainda\n\n   \n# fixa|1|121|1|3|\n' >"$scratch/commented/regras.txt"
# The example's first section meets on two weekdays within its first ten lines.
{
    echo "1|999|1|T|2|07:30|08:20|"
    head -n 10 "$example/horario.txt"
    echo "9|121|1|T|9|99:99|00:00|"
    echo "1|121|1|X|7|07:30|08:20|"
    tail -n +11 "$example/horario.txt"
    echo "1|121|1|X|6|07:30|08:20|"
} >"$scratch/warned/horario.txt"

for run in plain warned commented; do
    (cd "$scratch/$run" && printf '1\n2\n0\n' | timeout 60 "$build/alocacao" >console &&
        timeout 60 "$build/alocacao-otimo" >checks) || { echo "FAIL: $run: exit status $?"; exit 1; }
done
failed=0
for name in disciplina.txt solucao.txt solucaof.txt otima.txt; do
    cmp -s "$scratch/plain/$name" "$scratch/warned/$name" || { echo "FAIL: $name differs"; failed=1; }
done
for name in disciplina.txt solucao.txt solucaof.txt otima.txt console checks; do
    cmp -s "$scratch/plain/$name" "$scratch/commented/$name" || { echo "FAIL: $name differs with regras.txt of comments"; failed=1; }
done
# Two lines on a third weekday, and one summary of the other departments' lines.
added=$(($(grep -c '^Aviso' "$scratch/warned/console") - $(grep -c '^Aviso' "$scratch/plain/console")))
[ "$added" -eq 3 ] || { echo "FAIL: $added more warnings, expected 3"; failed=1; }
[ $failed -eq 0 ] && echo "the same files with and without the lines that only warn"
exit $failed
