# Sourced by the checks that run the programs under strace: they are
# skipped (status 77) where strace is missing or cannot trace, and run in a
# scratch directory removed at exit.
command -v strace >/dev/null || { echo "skipped: strace is not installed"; exit 77; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 2
strace -o /dev/null true 2>/dev/null || { echo "skipped: strace cannot trace here"; exit 77; }

# Whether strace can make CALL fail here: COMMAND..., which makes that call,
# fails under the injection.
strace_injects() {
    local call=$1
    shift
    echo probe >probe
    ! strace -o /dev/null -e trace="$call" -e inject="$call":error=EIO "$@" >/dev/null 2>&1
}
