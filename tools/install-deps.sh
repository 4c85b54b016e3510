#!/usr/bin/env bash
# Installs the Debian packages a step needs when they are missing, and says
# which: "build" what the programs need (make, make run), "test" that and
# what the tests use (make test, CI), "dev" that and the benchmarks, the
# fuzzer and the mutation run. Nothing is installed when nothing is missing;
# sudo is asked for only when not root.
set -euo pipefail
step=${1:-build}

missing=()
need_command() { command -v "$1" >/dev/null 2>&1 || missing+=("$2"); }
need_file() { [ -e "$1" ] || missing+=("$2"); }

need_command cmake cmake
need_command g++ g++
need_command make make
need_command pkg-config pkg-config
# The exact optimum beyond the per-weekday search: CBC, found with pkg-config.
need_file /usr/include/coin/Cbc_C_Interface.h coinor-libcbc-dev
if [ "$step" = test ] || [ "$step" = dev ]; then
    need_file /usr/include/gtest/gtest.h libgtest-dev
    # What users see: a real terminal, system calls, the instance generator.
    need_command tmux tmux
    need_command strace strace
    need_command python3 python3
    # The calendars are read back by Debian's icalendar library (for its own python3).
    /usr/bin/python3 -c 'import icalendar' 2>/dev/null || missing+=(python3-icalendar)
    # Spreadsheets saved as .xlsx: written by openpyxl, read by the importer through xlsx2csv.
    /usr/bin/python3 -c 'import openpyxl' 2>/dev/null || missing+=(python3-openpyxl)
    need_command xlsx2csv xlsx2csv
    # The board page: validated by tidy, rendered and printed by a headless Chromium.
    need_command tidy tidy
    need_command pdftotext poppler-utils
    command -v chromium-headless-shell >/dev/null 2>&1 || command -v chromium >/dev/null 2>&1 ||
        missing+=(chromium-headless-shell)
    need_file /usr/share/fonts/truetype/dejavu fonts-dejavu-core  # text in the printed page
fi
if [ "$step" = dev ]; then
    need_file /usr/include/benchmark/benchmark.h libbenchmark-dev
    need_command valgrind valgrind
    need_command clang++ clang
    need_file /usr/bin/time time  # CPU time and peak memory of a whole run
fi
case "$step" in build | test | dev) ;; *)
    echo "uso: tools/install-deps.sh [build|test|dev]" >&2
    exit 2
    ;;
esac
[ ${#missing[@]} -eq 0 ] && exit 0

# Say what is missing first; "installing" only when it is about to be done.
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || {
        echo "install-deps: missing ${missing[*]}; as root, install them with: apt-get install ${missing[*]}" >&2
        exit 1
    }
    as_root=(sudo)
fi
command -v apt-get >/dev/null 2>&1 || {
    echo "install-deps: missing ${missing[*]}, and no apt-get to install them with; install them by hand" >&2
    exit 1
}
echo "install-deps: installing ${missing[*]}"
"${as_root[@]}" apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
