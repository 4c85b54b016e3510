#!/usr/bin/env bash
# Under strace, which fails every read of one file with EIO: each program
# says that the file cannot be read, names it, and ends as it does for a
# file it cannot open; a read error is never taken for a faulty line or an
# empty file. Skipped where strace is missing or cannot inject faults.
# (LeakSanitizer cannot work under a tracer, so it is off.)
#
#   read_error_check.sh PROGRAM_DIR PROJECT_DIR
set -u
programs=$(realpath "$1")
project=$(realpath "$2")
# shellcheck source=tests/strace_scratch.sh
. "$(dirname "$0")/strace_scratch.sh"
strace_injects read cat probe || { echo "skipped: strace cannot inject faults here"; exit 77; }
export ASAN_OPTIONS=detect_leaks=0 LC_ALL=C

# The console's last line and the status of PROGRAM ARGS..., every read of
# FILE failing (or, with WHEN=2, the read after the first, which for a small
# file is the one that finds its end).
failing_reads() {
    local file=$1
    shift
    local status
    strace -f -o /dev/null -P "$file" -e trace=read -e inject=read:error=EIO${WHEN:+:when=$WHEN} "$@" \
        </dev/null >console 2>&1
    status=$?
    echo "$file: $(grep -av '^strace:' console | tail -n 1 | iconv -f latin1 -t utf-8) (status $status)"
}

mkdir rules partial planning import
cp "$project"/examples/department-regras/* rules/
cp "$project"/tests/e2e/otimo_names_the_classes_of_an_overfull_sunday_block/input/* partial/
cp "$project"/examples/small/* planning/
cp "$project"/examples/importar/*.csv "$project"/examples/importar/turnos.txt import/
said=$(
    cd rules || exit 2
    printf '1\n0\n' >menu
    for file in capacidade.txt demanda.txt horario.txt peso.par regras.txt; do
        strace -f -o /dev/null -P "$file" -e trace=read -e inject=read:error=EIO "$programs/alocacao" <menu >console 2>&1
        echo "$file: status $?"
        grep -av '^strace:' console | tail -n 1
    done
    printf '1\n2\n0\n' | "$programs/alocacao" >/dev/null
    failing_reads solucao.txt "$programs/alocacao-otimo"
    "$programs/alocacao-otimo" >/dev/null
    failing_reads otima.txt "$programs/alocacao-quadro"
    echo 'Reunioes que mudam de sala em relacao ao plano mantido: 0' >mudancas.txt
    failing_reads mudancas.txt "$programs/alocacao-quadro"
    WHEN=2 failing_reads mudancas.txt "$programs/alocacao-quadro"
    rm mudancas.txt
    "$programs/alocacao-quadro" >/dev/null
    failing_reads alocacao.csv "$programs/alocacao-otimo" --plano alocacao.csv
    WHEN=2 failing_reads alocacao.csv "$programs/alocacao-otimo" --plano alocacao.csv
    failing_reads alocacao.csv "$programs/alocacao-otimo" --manter alocacao.csv
    cd ../partial || exit 2
    "$programs/alocacao-otimo" >/dev/null
    failing_reads fora_da_grade.txt "$programs/alocacao-quadro"
    WHEN=2 failing_reads fora_da_grade.txt "$programs/alocacao-quadro"
    cd ../planning || exit 2
    "$programs/alocacao-otimo" --planejar >/dev/null
    failing_reads planejamento.txt "$programs/alocacao-quadro"
    WHEN=2 failing_reads planejamento.txt "$programs/alocacao-quadro"
    cd ../import || exit 2
    failing_reads turmas.csv "$programs/alocacao-importar" turmas.csv salas.csv --turnos turnos.txt
    failing_reads salas.csv "$programs/alocacao-importar" turmas.csv salas.csv --turnos turnos.txt
    WHEN=2 failing_reads salas.csv "$programs/alocacao-importar" turmas.csv salas.csv --turnos turnos.txt
    failing_reads turnos.txt "$programs/alocacao-importar" turmas.csv salas.csv --turnos turnos.txt
)
expected="capacidade.txt: status 1
Arquivo capacidade.txt, linha 1: erro de leitura
demanda.txt: status 1
Arquivo demanda.txt, linha 1: erro de leitura
horario.txt: status 1
Arquivo horario.txt, linha 1: erro de leitura
peso.par: status 1
Arquivo peso.par: erro de leitura
regras.txt: status 1
Arquivo regras.txt, linha 1: erro de leitura
solucao.txt: solucao.txt: o arquivo não pode ser lido; não foi verificado. (status 2)
otima.txt: Arquivo otima.txt nao pode ser lido. (status 1)
mudancas.txt: Arquivo mudancas.txt nao pode ser lido. (status 1)
mudancas.txt: Arquivo mudancas.txt nao pode ser lido. (status 1)
alocacao.csv: Arquivo alocacao.csv nao pode ser lido. (status 1)
alocacao.csv: Arquivo alocacao.csv nao pode ser lido. (status 1)
alocacao.csv: Arquivo alocacao.csv nao pode ser lido. (status 1)
fora_da_grade.txt: Arquivo fora_da_grade.txt nao pode ser lido. (status 1)
fora_da_grade.txt: Arquivo fora_da_grade.txt nao pode ser lido. (status 1)
planejamento.txt: Arquivo planejamento.txt nao pode ser lido. (status 1)
planejamento.txt: Arquivo planejamento.txt nao pode ser lido. (status 1)
turmas.csv: Arquivo turmas.csv: nao pode ser lido (status 1)
salas.csv: Arquivo salas.csv: nao pode ser lido (status 1)
salas.csv: Arquivo salas.csv: nao pode ser lido (status 1)
turnos.txt: Arquivo turnos.txt: nao pode ser lido (status 1)"
if [ "$said" != "$expected" ]; then
    echo "FAIL: with every read of one file failing, the programs said:"
    echo "$said"
    diff <(echo "$expected") <(echo "$said")
    exit 1
fi
echo "every file whose reads fail is named as unreadable"
