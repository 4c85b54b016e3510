#!/usr/bin/env bash
# Runs the program in a real terminal (tmux) of 80x25 and of 120x40 under a
# UTF-8 locale, in a pane already full of earlier text, and checks what a user
# sees: the screen cleared, the banner titles at column 28 of row 2 and column
# 27 of row 3, every hyphen line on a row of its own, the cursor waiting after
# "Escolha: ", and accented letters shown correctly; then that alocacao-otimo
# --planejar leaves no progress line behind. Each wait polls the pane
# for at most two seconds, and the first failure ends the check.
#   terminal_check.sh PROGRAM EXAMPLE_DIR
# Exits 77 (skipped) where tmux is not installed.
set -u
program=$(realpath "$1")
example=$(realpath "$2")
if ! command -v tmux >/dev/null; then
    echo "SKIP: tmux is not installed, so the terminal cannot be checked here"
    exit 77
fi

work=$(mktemp -d)
socket="$work/tmux.sock"
trap 'tmux -S "$socket" kill-server 2>/dev/null; rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL ($size): $*"; failed=1; }
screen() { tmux -S "$socket" capture-pane -p -N -t check; }
wait_for() {
    for _ in $(seq 40); do
        screen | grep -q -- "$1" && return 0
        sleep 0.05
    done
    fail "never showed '$1'"; screen; exit 1
}

for size in 80x25 120x40; do
    columns=${size%x*} rows=${size#*x}
    tmux -S "$socket" kill-session -t check 2>/dev/null
    rm -rf "$work/run" && mkdir "$work/run" && cp "$example"/* "$work/run/"
    tmux -S "$socket" -f /dev/null new-session -d -s check -x "$columns" -y "$rows" \
        "cd '$work/run' && yes 'texto anterior' | head -n $rows && LC_ALL=C.UTF-8 LC_CTYPE= LANG= '$program'; sleep 30"
    wait_for "Escolha: "

    [ "$(screen | grep -c 'texto anterior')" -eq 0 ] || fail "earlier text still on the screen"
    title=$(screen | sed -n 2p)
    [ "${title:27:29}" = "PROBLEMA DE ALOCACAO DE SALAS" ] || fail "row 2 is '$title'"
    subtitle=$(screen | sed -n 3p)
    [ "${subtitle:26:30}" = "- USANDO SIMULATED ANNEALING -" ] || fail "row 3 is '$subtitle'"
    hyphens=$(printf '%80s' '' | tr ' ' -)
    rule_rows=$(screen | grep -c -- "-----")
    whole_rules=$(screen | sed 's/ *$//' | grep -c -x -- "$hyphens")
    [ "$rule_rows" -eq 3 ] && [ "$whole_rules" -eq 3 ] ||
        fail "$whole_rules of $rule_rows hyphen rows stand alone, expected 3"
    cursor=$(tmux -S "$socket" display -p -t check '#{cursor_x} #{cursor_y}')
    prompt_row=$(screen | sed -n "$(( ${cursor#* } + 1 ))p")
    [ "${cursor% *}" -eq 18 ] && [ "$prompt_row" = "         Escolha: " ] ||
        fail "cursor at $cursor, on row '$prompt_row'"

    tmux -S "$socket" send-keys -t check 1 Enter
    wait_for "Função Objetivo= "
    [ "$(screen | sed 's/ *$//' | grep -c -x -- "$hyphens")" -ge 3 ] || fail "hyphen lines share rows after choice 1"
    tmux -S "$socket" send-keys -t check 0 Enter
done

# The optimum's planning shows its progress on one line rewritten, and
# leaves none of it on the screen when it is done.
size=80x25
tmux -S "$socket" kill-session -t check 2>/dev/null
rm -rf "$work/run" && mkdir "$work/run" && cp "$example"/* "$work/run/"
tmux -S "$socket" -f /dev/null new-session -d -s check -x 80 -y 25 \
    "cd '$work/run' && LC_ALL=C.UTF-8 '$(dirname "$program")/alocacao-otimo' --planejar </dev/null; sleep 30"
wait_for "Lugares que sobram"
! screen | grep -q "resolvidas, cerca de" || fail "the planning's progress stays on the screen"
[ $failed -eq 0 ] && echo "terminal checks passed at 80x25 and 120x40, and of the planning"
exit $failed
