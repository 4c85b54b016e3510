#!/usr/bin/env bash
# The board page of each example (the department with its room rules) after a session 1 2 0 and alocacao-otimo,
# checked with the real tools: `tidy` finds no error and no warning in it; a
# headless Chromium renders it, and printing it puts every weekday board of
# the plan on a page of its own (the other solutions' stay on screen), then
# every room's week on a page of its own, with no page ending in a heading;
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

# No page holds two boards, each board's page holds its first and last
# block, so none runs over onto the next page, and no page ends with a
# heading whose content went to the next.
check_print() {
    browse --no-pdf-header-footer --print-to-pdf="$PWD/quadro.pdf" "file://$PWD/quadro.html" >/dev/null
    [ -s quadro.pdf ] || { fail "printing gave no PDF"; return; }
    pages=$(pdftotext quadro.pdf - | grep -c $'\f')
    boards=0
    rooms=0
    for page in $(seq 1 "$pages"); do
        text=$(pdftotext -f "$page" -l "$page" quadro.pdf -)
        last_line=$(echo "$text" | tr -d '\f' | grep -v '^[[:space:]]*$' | tail -n 1)
        if echo "$last_line" | grep -q -E '^(Solução inicial|Annealing|Ótimo) \(|^Mudanças do |^Onde investir$|^Lugares que sobram$|^Resumo$'; then
            fail "page $page ends with the heading \"$last_line\""
        fi
        room_titles=$(echo "$text" | grep -c -E '^(Sala [0-9]+|Sem sala \(sv\)) · ')
        if [ "$room_titles" -gt 1 ]; then fail "page $page holds $room_titles room pages"; fi
        if [ "$room_titles" -eq 1 ]; then
            echo "$text" | grep -q '^07:30–08:20' && echo "$text" | grep -q '^21:50–22:40' ||
                fail "the room page of page $page runs over"
            rooms=$((rooms + 1))
        fi
        titles=$(echo "$text" | grep -c -E '^(Segunda|Terça|Quarta|Quinta|Sexta)-feira · |^Sábado · ')
        if echo "$text" | grep -q -E ' · Solução inicial$'; then fail "page $page prints the random start"; fi
        if [ "$titles" -gt 1 ]; then fail "page $page holds $titles boards"; fi
        [ "$titles" -eq 1 ] || continue
        last=21:50
        echo "$text" | grep -q '^Sábado · ' && last=11:20
        echo "$text" | grep -qx 07:30 && echo "$text" | grep -qx "$last" || fail "the board of page $page runs over"
        boards=$((boards + 1))
    done
    [ $boards -eq 6 ] || fail "$boards boards printed, expected the plan's 6 weekdays"
    used=$(grep -c '<section class="room"' quadro.html)
    [ $rooms -eq "$used" ] || fail "$rooms room pages printed, expected $used"
    pdftotext quadro.pdf - | grep -q 'Turmas (otima.txt)' || fail "the class list is not printed"
}

check_browser() {
    dom=$(browse --dump-dom "file://$PWD/quadro.html")
    echo "$dom" | grep -q '<h1>Quadro de salas</h1>' || fail "the browser did not render the page"
    [ "$(echo "$dom" | grep -c 'class="day"')" -eq 18 ] || fail "the rendered page lacks boards"
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
    printf '1\n2\n0\n' | timeout 60 "$build/alocacao" >/dev/null && timeout 60 "$build/alocacao-otimo" >/dev/null &&
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
