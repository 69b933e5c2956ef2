#!/usr/bin/env bash
# Soak test of the slide show: the real program on a private X server, showing
# slides for a long time, its memory watched.
#
#   tests/soak/slideshow_soak.sh [SECONDS [path/to/quillon]]
#
# SECONDS (at least 30, default 3600) is how long the slide show runs; the
# program defaults to build/quillon. Not part of the test suite: run it by hand,
# e.g. before a release. Needs what the end-to-end tests need (tests/e2e).
#
# F9 starts the show. Resident memory (RSS, kB) is read 15 s in (the start
# figure), every 60 s after it and at the end; each time the program must be
# alive and showing a slide whose caption differs from the one seen at the
# sample before (a new slide comes every 10 s). Then F10 must stop the show:
# empty caption, black drawing area, nothing running. The figures are printed;
# the exit status is not 0 when a check failed or memory grew by more than
# $max_growth_kb kB.
set -euo pipefail

here=$(dirname "${BASH_SOURCE[0]}")
# shellcheck source=SCRIPTDIR/../e2e/lib.sh
source "$here/../e2e/lib.sh"

duration=${1:-3600}
max_growth_kb=$((64 * 1024))
first_sample_s=15
sample_every_s=60

if ! [[ "$duration" =~ ^[0-9]+$ ]] || (( duration < 30 )); then
    printf 'usage: %s [SECONDS (at least 30)] [path/to/quillon]\n' "$0" >&2
    exit 2
fi
e2e_init "${2:-$here/../../build/quillon}"
start_xvfb
start_program

step "F9: slide show for $duration s"
focus_main
x key F9 || fail "could not press F9"
started=$(now_ms)

samples=()
last_caption=""
# sample_at SECONDS: waits until then, checks a new slide is on and reads RSS.
sample_at() {
    while (( $(now_ms) - started < $1 * 1000 )); do
        app_alive
        sleep 1
    done
    read_figure_caption
    [[ "$caption" != "$last_caption" ]] ||
        fail "$1 s into the slide show the caption is still '$caption', as at the sample before"
    last_caption=$caption
    read_rss
    samples+=("$(printf '%6d s  %8d kB  %s' "$1" "$rss" "$caption")")
    step "${samples[-1]}"
}

sample_at "$first_sample_s"
rss_start=$rss
for ((t = first_sample_s + sample_every_s; t <= duration - first_sample_s; t += sample_every_s)); do
    sample_at "$t"
done
sample_at "$duration"
rss_end=$rss

step "F10: slide show off"
focus_main
x key F10 || fail "could not press F10"
sleep 0.5
expect_empty_caption "after F10"
expect_black_area "after F10"
expect_idle "after F10"

printf 'rss start kB: %s\n' "$rss_start"
printf 'rss end kB: %s\n' "$rss_end"
printf 'samples (time, RSS, caption):\n'
printf '  %s\n' "${samples[@]}"
(( rss_end - rss_start <= max_growth_kb )) ||
    fail "resident memory grew by $((rss_end - rss_start)) kB, more than $max_growth_kb kB"
step "PASS"
