#!/usr/bin/env bash
# End-to-end check of the window on a netbook's screen, on a private X server.
#
#   small_screen_e2e.sh path/to/quillon
#
# On a 1024x600 screen the window's default size (a 1024x768 drawing area
# under the menu bar) does not fit: the window opens fitted into the screen,
# all of it on the screen, and a figure still draws in its smaller drawing
# area. (There is no window manager, so no frame: the fitted window is the
# whole screen.)
set -euo pipefail

# shellcheck source=SCRIPTDIR/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

screen_w=1024
screen_h=600
min_lorenz_pixels=400

e2e_init "$@"
start_xvfb "${screen_w}x${screen_h}"
start_program

info=$(timeout 10 xwininfo -id "$W") || fail "xwininfo could not describe the main window"
field() { awk -F: -v name="$1" '$1 ~ name { gsub(/ /, "", $2); print $2 }' <<<"$info"; }
left=$(field 'Absolute upper-left X') top=$(field 'Absolute upper-left Y')
width=$(field '^ *Width') height=$(field '^ *Height')
for value in "$left" "$top" "$width" "$height"; do
    [[ "$value" =~ ^-?[0-9]+$ ]] || fail "unexpected window geometry from xwininfo: $left $top $width $height"
done
step "window: ${width}x${height} at $left,$top on a ${screen_w}x${screen_h} screen"
(( left >= 0 && top >= 0 && left + width <= screen_w && top + height <= screen_h )) ||
    fail "the window (${width}x${height} at $left,$top) reaches beyond the ${screen_w}x${screen_h} screen"
(( width == screen_w && height == screen_h )) ||
    fail "the window is ${width}x${height}, expected it fitted to the whole ${screen_w}x${screen_h} screen"
step "the window lies inside the screen and fills it"

step "F1: Lorenz Orbits (XY) in the smaller drawing area"
focus_main
x key F1 || fail "could not press F1"
wait_for_pixels "$min_lorenz_pixels" 3 ||
    fail "Lorenz coloured $pixels pixels in 3 s, expected at least $min_lorenz_pixels"
count_in_shot "$((area_w / 2))x$((area_h / 2))+$((area_w / 4))+$((area_h / 4))"
(( pixels > 0 )) || fail "Lorenz drew nothing in the middle of the drawing area"
expect_picture_changes "while Lorenz runs"
step "Lorenz draws"
press_escape_and_expect_reset

step "PASS"
