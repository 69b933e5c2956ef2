# shellcheck shell=bash
# What the quillon-render command tests share; source it, do not run it.
#
#   source "$(dirname "${BASH_SOURCE[0]}")/cli_lib.sh"
#   cli_init SCRIPT "$@"   # $render, a work directory to stand in (removed at exit)
#   fail MESSAGE           # counts a failure and goes on
#   cli_finish WHAT        # the verdict: status 1 after any failure
#   expect_refusals [CHECK] < TABLE   # "name|arguments" lines, each refused
set -uo pipefail

cli_init() {
    render=$(realpath "${2:?usage: $1 path/to/quillon-render}")
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    cd "$work" || exit 1
    failures=0
}

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cli_finish() {
    if ((failures > 0)); then
        echo "$failures failures" >&2
        exit 1
    fi
    echo "$1: every case behaves"
}

# Runs quillon-render with each "name|arguments" line of stdin and -o out.png:
# each must be refused with status 2 and one line on stderr, leaving no out*
# file nor a partial one; then CHECK (a command, if given) is run with the
# case's name for checks of the caller's own.
expect_refusals() {
    local name args status
    while IFS='|' read -r name args; do
        [[ -z $name ]] && continue
        rm -rf out* .out*.partial-*
        # shellcheck disable=SC2086  # the table's arguments are words
        "$render" $args -o out.png -q > /dev/null 2> err.txt
        status=$?
        [[ $status -eq 2 ]] || fail "$name: status $status, not 2"
        [[ $(wc -l < err.txt) -eq 1 ]] || fail "$name: stderr is not one line: $(cat err.txt)"
        compgen -G 'out*' > /dev/null && fail "$name: left a file"
        compgen -G '.*.partial-*' > /dev/null && fail "$name: left a partial file"
        if [[ -n ${1:-} ]]; then "$1" "$name"; fi
    done
}
