#!/usr/bin/env bash
# End-to-end check of the real program on a private X server.
#
#   henon_e2e.sh path/to/quillon
#
# Starts Xvfb, runs QUILLON under it and drives it with xdotool the way a user
# would with the keyboard:
#   1. the main window comes up with the start-up caption and a black drawing area;
#   2. Alt+E, H, Return starts Henon (random parameters, so no prompt): the caption
#      names the figure with a and b in their random ranges and coloured points
#      appear in the drawing area;
#   3. Escape resets: the caption becomes empty, the drawing area is black again
#      and stays black, because the drawing has stopped.
# For some parameter values the Henon orbit leaves for infinity after a few
# dozen (at most a few hundred) points; such a run is reset and Henon is started
# again, up to $max_attempts times, until one draws a real attractor.
set -euo pipefail

# shellcheck source=SCRIPTDIR/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

max_attempts=10
min_attractor_pixels=200   # a real attractor colours thousands of pixels within a second
escaped_below=20           # an orbit that escaped at once leaves only a few points behind

henon_prefix="Henon      a = "

e2e_init "$@"
start_xvfb
start_program

# --- Henon ------------------------------------------------------------------------

# The access key E belongs to both Equations1 and Equations2, and Qt hands a
# repeated shared access key to the next menu in turn. The first start uses
# Alt+E (the first press opens Equations1); later starts walk the menu bar
# instead: Alt selects File, Right moves to Equations1, Down opens it.
start_henon() {
    local attempt=$1
    if (( attempt == 1 )); then
        x key alt+e
    else
        x key alt
        sleep 0.3
        x key Right
        sleep 0.2
        x key Down
    fi
    sleep 0.4
    x key h        # Henon is the first item with access key H
    sleep 0.2
    x key Return
}

check_henon_caption() {
    read_caption
    [[ "$caption" == "$henon_prefix"* ]] ||
        fail "after choosing Henon the caption is '$caption', expected it to start with '$henon_prefix'"
    local re='^Henon      a = ([0-9]*\.?[0-9]+)   b = ([0-9]*\.?[0-9]+)$'
    [[ "$caption" =~ $re ]] || fail "Henon caption '$caption' is not 'Henon      a = <number>   b = <number>'"
    local a=${BASH_REMATCH[1]} b=${BASH_REMATCH[2]}
    awk -v a="$a" -v b="$b" 'BEGIN { exit !(a >= 1.35 && a < 1.45 && b >= 0.25 && b < 0.35) }' ||
        fail "random parameters out of range: a = $a (want [1.35, 1.45)), b = $b (want [0.25, 0.35))"
    step "caption: '$caption'"
}

drawn=0
for attempt in $(seq 1 "$max_attempts"); do
    app_alive
    step "attempt $attempt: starting Henon from the Equations1 menu"
    start_henon "$attempt"
    sleep 1
    app_alive
    check_henon_caption
    count_coloured_pixels
    step "attempt $attempt: $pixels coloured pixels in the drawing area"
    if (( pixels >= min_attractor_pixels )); then
        drawn=$pixels
        break
    fi
    if (( pixels >= escaped_below )); then
        step "attempt $attempt: fewer than $min_attractor_pixels pixels; taking it as an orbit that escaped late"
    else
        step "attempt $attempt: fewer than $escaped_below pixels; the orbit escaped to infinity (or nothing is drawn)"
    fi
    if (( attempt < max_attempts )); then
        step "attempt $attempt: Escape, then Henon again"
        x key Escape
        sleep 0.5
    fi
done
(( drawn >= min_attractor_pixels )) ||
    fail "Henon never drew $min_attractor_pixels coloured pixels in $max_attempts attempts"
step "Henon draws: $drawn coloured pixels"

# --- reset ------------------------------------------------------------------------

press_escape_and_expect_reset

step "PASS"
