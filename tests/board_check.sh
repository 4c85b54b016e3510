#!/usr/bin/env bash
# The board page of each example (the department with its room rules) after a session 1 2 0 and alocacao-otimo,
# checked with the real tools: `tidy` finds no error and no warning in it; a
# headless Chromium renders it, and printing it puts every table of every
# weekday board of the plan on a page of its own (the other solutions' stay
# on screen), then every room's week on a page of its own, with no page
# ending in a heading and none holding what ran over from the page before:
# the pages are the summary, one per weekday table, one per room used, and
# the class list. An example of more than 200 sections (the faculty) is
# printed from its optimum alone: a menu session there takes a minute;
# alocacao.csv and the calendars of --semestre read back into the plan with
# Python's csv module and the icalendar library. Skipped (77), saying why,
# where a tool is missing.
#
#   board_check.sh tidy|browser|exports BUILD_DIR EXAMPLE_DIR...
set -u
mode=$1
build=$(realpath "$2")
shift 2
case $mode in
exports)
    # Debian's python3-icalendar serves its own python3, which may not be first on the PATH.
    reader=""
    for python in python3 /usr/bin/python3; do
        if command -v "$python" >/dev/null && "$python" -c 'import icalendar' 2>/dev/null; then reader=$python; break; fi
    done
    [ -n "$reader" ] || { echo "skipped: no python3 with icalendar (python3-icalendar)"; exit 77; } ;;
tidy)
    command -v tidy >/dev/null || { echo "skipped: tidy is not installed"; exit 77; } ;;
browser)
    browser=$(command -v chromium-headless-shell || command -v chromium || command -v chromium-browser)
    [ -n "$browser" ] || { echo "skipped: no headless Chromium (chromium-headless-shell or chromium)"; exit 77; }
    command -v pdftotext >/dev/null || { echo "skipped: pdftotext (poppler-utils) is not installed"; exit 77; } ;;
*)
    echo "usage: board_check.sh tidy|browser|exports BUILD_DIR EXAMPLE_DIR..."; exit 2 ;;
esac

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() { echo "FAIL ($(basename "$example")): $*"; failed=1; }

browse() {
    timeout 60 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --user-data-dir="$scratch/profile" "$@" 2>/dev/null
}

check_tidy() {
    report=$(tidy -q -e quadro.html 2>&1)
    [ $? -eq 0 ] && [ -z "$report" ] || fail "tidy: $report"
}

# Each page, from one extraction of the text, is one of: the summary (before
# the first board), one weekday table that holds its first and last block,
# one room's week that holds its first and last row, or the class list
# (after the last room); no page ends with a heading whose content went to
# the next.
check_print() {
    browse --no-pdf-header-footer --print-to-pdf="$PWD/quadro.pdf" "file://$PWD/quadro.html" >/dev/null
    [ -s quadro.pdf ] || { fail "printing gave no PDF"; return; }
    pdftotext quadro.pdf quadro.txt
    week_marks >marks.txt
    # One line per page: its kind (summary, board, room, list) or why it is none.
    awk -v RS='\f' -v marks="$(cat marks.txt)" '
        function starts_row(clock) { return index("\n" $0, "\n" clock "–") > 0 }
        BEGIN {
            n = split(marks, mark, " ")
            first_row = mark[1]; last_row = mark[2]
            for (k = 3; k + 2 <= n; k += 3) { first_block[mark[k]] = mark[k + 1]; last_block[mark[k]] = mark[k + 2] }
        }
        {
            page++; lines = split($0, line, "\n"); last = ""; boards = 0; rooms = 0; day = ""; classes = 0
            for (i = 1; i <= lines; i++) {
                if (line[i] ~ /[^[:space:]]/) last = line[i]
                if (line[i] ~ /^(Domingo|Segunda-feira|Terça-feira|Quarta-feira|Quinta-feira|Sexta-feira|Sábado) · /) {
                    boards++; day = substr(line[i], 1, index(line[i], " · ") - 1)
                }
                if (line[i] ~ /^(Sala [0-9]+|.* · sala [0-9]+|Sem sala \(sv\)) · [0-9]+ lugares$/) rooms++
                if (line[i] ~ / · Solução inicial$/) print "fail page " page " prints the random start"
                if (line[i] ~ /^Turma$|^Turmas \(/) classes = 1
            }
            if (last ~ /^(Solução inicial|Annealing|Ótimo) \(|^Mudanças do |^Onde investir$|^Lugares que sobram( \(todas juntas, sem piorar o otimo\))?$|^Resumo$/)
                print "fail page " page " ends with the heading \"" last "\""
            if (boards > 1 || rooms > 1) print "fail page " page " holds " boards " boards and " rooms " rooms"
            else if (boards == 1) print (starts_row(first_block[day]) && starts_row(last_block[day])) ? "board" : "fail the board of page " page " runs over"
            else if (rooms == 1) print (index($0, first_row) && index($0, last_row)) ? "room" : "fail the room page of page " page " runs over"
            else if (classes) print "list"
            else if (lines > 1 || last != "") print "other " page
        }' quadro.txt >kinds.txt
    pages=$(grep -c -v '^fail' kinds.txt)
    boards=$(grep -c '^board$' kinds.txt)
    rooms=$(grep -c '^room$' kinds.txt)
    list=$(grep -c '^list$' kinds.txt)
    while read -r kind rest; do [ "$kind" = fail ] && fail "$rest"; done <kinds.txt
    # The summary comes before the first board; the class list after the last room.
    summary=$(awk '/^board$/ {exit} /^other/ {n++} END {print n + 0}' kinds.txt)
    order=$(grep -v '^fail' kinds.txt | awk '{print $1}' | uniq | tr '\n' ' ')
    [ "$order" = "other board room list " ] || fail "pages in the order $order, expected the summary, boards, rooms, classes"
    # The plan's tables: its section comes first among the solutions.
    tables=$(awk '/<section class="solution" id=/ {plan = 1; next} /<section class="solution screen"|<section id="salas">/ {plan = 0}
                  plan && /<section class="day"/ {n++} END {print n + 0}' quadro.html)
    [ $boards -eq "$tables" ] || fail "$boards boards printed, expected the plan's $tables weekday tables"
    used=$(grep -c '<section class="room"' quadro.html)
    [ $rooms -eq "$used" ] || fail "$rooms room pages printed, expected $used"
    grep -q 'Turmas (otima.txt)' quadro.txt || fail "the class list is not printed"
    [ "$summary" -ge 1 ] && [ "$summary" -le 2 ] || fail "$summary pages of summary before the first board"
    echo "$(basename "$example"): $pages pages: $summary of summary, $boards weekday tables, $rooms rooms, $list of classes"
}

# The first and last rows of a room's week, then each weekday's title with
# the first and last block starts of its board: those of semana.txt, or of
# the standard week.
week_marks() {
    if [ ! -f semana.txt ]; then
        echo "07:30–08:20 21:50–22:40 Segunda-feira 07:30 21:50 Terça-feira 07:30 21:50 Quarta-feira 07:30 21:50" \
             "Quinta-feira 07:30 21:50 Sexta-feira 07:30 21:50 Sábado 07:30 11:20"
        return
    fi
    awk -F'|' '
        function clock(t, p) { split(t, p, ":"); return sprintf("%02d:%02d", p[1], p[2]) }
        BEGIN { split("Domingo Segunda-feira Terça-feira Quarta-feira Quinta-feira Sexta-feira Sábado", title, " ") }
        NF >= 3 {
            d = $1 + 0; s = clock($2); e = clock($3)
            if (!(d in first) || s < first[d]) first[d] = s
            if (!(d in last) || s > last[d]) last[d] = s
            if (row_first == "" || s e < row_first) row_first = s e
            if (s e > row_last) row_last = s e
        }
        END {
            printf "%s–%s %s–%s", substr(row_first, 1, 5), substr(row_first, 6), substr(row_last, 1, 5), substr(row_last, 6)
            for (d = 1; d <= 7; d++) if (d in first) printf " %s %s %s", title[d], first[d], last[d]
            print ""
        }' semana.txt
}

check_browser() {
    [ $session = yes ] || { check_print; return; }  # the faculty: its print is what is looked at
    dom=$(browse --dump-dom "file://$PWD/quadro.html")
    echo "$dom" | grep -q '<h1>Quadro de salas</h1>' || fail "the browser did not render the page"
    [ "$(echo "$dom" | grep -c 'class="day"')" -eq "$(grep -c 'class="day"' quadro.html)" ] || fail "the rendered page lacks boards"
    browse --window-size=1280,900 --screenshot="$PWD/quadro.png" "file://$PWD/quadro.html" >/dev/null
    [ "$(stat -c %s quadro.png 2>/dev/null || echo 0)" -gt 20000 ] || fail "the screenshot at 1280 px is empty"
    check_print
}

examples=()
for example in "$@"; do examples+=("$(realpath "$example")"); done
for example in "${examples[@]}"; do
    dir="$scratch/$(basename "$example")"
    mkdir -p "$dir" && cp "$example"/* "$dir/"
    cd "$dir" || exit 2
    session=yes
    [ "$(wc -l <demanda.txt)" -le 200 ] || session=no
    { [ $session = no ] || printf '1\n2\n0\n' | timeout 60 "$build/alocacao" >/dev/null; } &&
        timeout 60 "$build/alocacao-otimo" >/dev/null &&
        timeout 60 "$build/alocacao-quadro" >/dev/null || { fail "the programs did not run"; continue; }
    case $mode in
    tidy) check_tidy ;;
    browser) check_browser ;;
    exports)
        timeout 60 "$build/alocacao-quadro" --semestre 2026-03-02:2026-07-04 >/dev/null || fail "--semestre failed"
        "$reader" "$(dirname "$(realpath "$0")")/plan_exports_check.py" . 2026-03-02 2026-07-04 || fail "the exports" ;;
    esac
done
[ $failed -eq 0 ] && echo "board pages pass the $mode check"
exit $failed
