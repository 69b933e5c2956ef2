# shellcheck shell=bash
# What the quillon-render command tests share; source it, do not run it.
#
#   source "$(dirname "${BASH_SOURCE[0]}")/cli_lib.sh"
#   cli_init SCRIPT "$@"   # $render, a work directory to stand in (removed at exit)
#   fail MESSAGE           # counts a failure and goes on
#   cli_finish WHAT        # the verdict: status 1 after any failure
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
