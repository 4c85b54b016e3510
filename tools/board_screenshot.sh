#!/usr/bin/env bash
# The picture of the board page in the README: the department example after a
# session 1 2 0 and alocacao-otimo, shown by a headless Chromium 1280 px wide.
#
#   tools/board_screenshot.sh BUILD_DIR EXAMPLE_DIR OUTPUT.png
set -eu
build=$(realpath "$1")
example=$(realpath "$2")
output=$(realpath "$3")
browser=$(command -v chromium-headless-shell || command -v chromium || command -v chromium-browser) ||
    { echo "no headless Chromium: apt-get install chromium-headless-shell" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$example"/* "$scratch/"
cd "$scratch"
printf '1\n2\n0\n' | "$build/alocacao" >/dev/null
"$build/alocacao-otimo" >/dev/null
"$build/alocacao-quadro" >/dev/null
"$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --user-data-dir="$scratch/profile" --hide-scrollbars \
    --window-size=1280,1500 --screenshot="$output" "file://$scratch/quadro.html" 2>/dev/null
echo "board of $(basename "$example") in $output"
