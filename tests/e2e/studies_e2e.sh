#!/usr/bin/env bash
# End-to-end check of two studies started by function keys, on a private X server.
#
#   studies_e2e.sh path/to/quillon
#
# Starts Xvfb, runs QUILLON under it (in a scratch directory, where it writes its
# number files) and drives it with xdotool the way a user would:
#   1. F1 starts Lorenz Orbits (XY) with random parameters and no prompt: the
#      caption names the figure with Prandtl and Rayleigh whole numbers in their
#      ranges, and the orbit colours the drawing area around its centre.
#      Escape resets: empty caption, black drawing area that stays black.
#      Ctrl+F1 does the same as F1: Ctrl is ignored like Shift.
#   2. F7 starts the logistic-equation study: two input boxes (a, x) and a Yes/No
#      question; a = 2, x = 0.5 and Yes to printing numbers. The orbit stays at
#      its fixed point 0.5, so every step draws the same circle and appends the
#      same line to Log_Eqn.txt. Tab (FIX) ends the run after its pass of 10
#      points; the file then holds the header, whole passes of lines and an
#      empty line, all with CR LF endings.
set -euo pipefail

# shellcheck source=SCRIPTDIR/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

e2e_init "$@"
start_xvfb
start_program

# --- Lorenz Orbits (XY) by F1 -------------------------------------------------------

lorenz_prefix="LORENZ  ORBITS (XY)    Prandtl= "
# The Euler steps run at hundreds of thousands a second, and within a second most
# parameter values colour tens of thousands of pixels. At the least favourable
# values in the random ranges the first 3000 steps still colour over 600
# pixels, and over 130 in the middle half (each way) of the drawing area, where
# every orbit starts.
min_lorenz_pixels=400
min_lorenz_centre_pixels=100

step "F1: Lorenz Orbits (XY)"
focus_main
x key F1 || fail "could not press F1"
sleep 1
app_alive

expect_no_dialog "Lorenz Orbits"
step "no prompt: the parameters are random"

read_caption
[[ "$caption" == "$lorenz_prefix"* ]] ||
    fail "after F1 the caption is '$caption', expected it to start with '$lorenz_prefix'"
[[ "$caption" == *"  Rayleigh= "* && "$caption" == *"  3rd parameter= "* ]] ||
    fail "Lorenz caption '$caption' lacks '  Rayleigh= ' or '  3rd parameter= '"
re='^LORENZ  ORBITS \(XY\)    Prandtl= ([0-9]+)  Rayleigh= ([0-9]+)  3rd parameter= ([0-9]*\.?[0-9]+)$'
[[ "$caption" =~ $re ]] ||
    fail "Lorenz caption '$caption' is not 'LORENZ  ORBITS (XY)    Prandtl= <whole>  Rayleigh= <whole>  3rd parameter= <number>'"
prandtl=${BASH_REMATCH[1]} rayleigh=${BASH_REMATCH[2]} third=${BASH_REMATCH[3]}
(( 10#$prandtl >= 5 && 10#$prandtl <= 33 )) || fail "random Prandtl number $prandtl is outside 5..33"
(( 10#$rayleigh >= 19 && 10#$rayleigh <= 79 )) || fail "random Rayleigh number $rayleigh is outside 19..79"
awk -v p="$third" 'BEGIN { exit !(p >= 0.7 && p <= 5) }' ||
    fail "random 3rd parameter $third is outside 0.7..5"
step "caption: '$caption'"

count_coloured_pixels
lorenz_pixels=$pixels
count_in_shot "$((area_w / 2))x$((area_h / 2))+$((area_w / 4))+$((area_h / 4))"
lorenz_centre=$pixels
step "Lorenz: $lorenz_pixels coloured pixels, $lorenz_centre of them in the middle of the drawing area"
(( lorenz_pixels >= min_lorenz_pixels )) ||
    fail "Lorenz coloured $lorenz_pixels pixels in 1 s, expected at least $min_lorenz_pixels"
(( lorenz_centre >= min_lorenz_centre_pixels )) ||
    fail "Lorenz coloured only $lorenz_centre pixels in the middle of the drawing area, expected at least $min_lorenz_centre_pixels"

press_escape_and_expect_reset

step "Ctrl+F1: Lorenz Orbits (XY) as F1"
focus_main
x key ctrl+F1 || fail "could not press Ctrl+F1"
sleep 1
app_alive
read_caption
[[ "$caption" =~ $re ]] ||
    fail "after Ctrl+F1 the caption is '$caption', expected Lorenz's 'LORENZ  ORBITS (XY)    Prandtl= ...'"
step "caption: '$caption'"
expect_picture_changes "after Ctrl+F1"
step "Ctrl+F1 draws"
press_escape_and_expect_reset

# --- logistic equation by F7, numbers to file ---------------------------------------

title="Logistic Equation"
numbers="$work/Log_Eqn.txt"
rm -f "$numbers"

step "F7: logistic equation"
focus_main
x key F7 || fail "could not press F7"

# The study names itself in the caption before it asks anything.
wait_for_dialog "$title"
read_caption
asking_caption="Logistic Equation:   y = a * x * (1 - x)   "
[[ "$caption" == "$asking_caption" ]] ||
    fail "while the study asks for a the caption is '$caption', expected '$asking_caption'"
step "asking: caption '$caption'"

# The box for a opens with its suggested value selected, so typing replaces
# it; were it not selected, a would become 3.342 and the file's header shows it.
answer_input_box "$title" 2 "" over-selection
step "answered a = 2 (input box $dialog)"
answer_input_box "$title" 0.5 "$dialog"
step "answered x = 0.5 (input box $dialog)"

# The question's Yes button has the access key Y, which the message box takes
# without Alt; its default button is No, so Return would answer No.
wait_for_dialog "$title" "$dialog"
focus_window "$dialog"
x key y || fail "could not press Y in the message box"
wait_for_dialog_gone "$dialog"
started=$(now_ms)
step "answered Yes to printing numbers (message box $dialog)"

# Every step sets the caption from scratch and then appends a, x and y to it,
# so X may see it half built; wait for a whole one. (The name X shows is the
# one to watch here: Qt hands the window's WM_NAME to X only with its next
# request, so while the study runs WM_NAME stays one caption behind.)
running_caption="Logistic Equation: y = a * x * (1 - x)    a = 2   x = 0.5   y = 0.5"
for _ in $(seq 1 100); do
    app_alive
    read_caption
    [[ "$caption" == "$running_caption" ]] && break
    sleep 0.1
done
[[ "$caption" == "$running_caption" ]] ||
    fail "while the study runs the caption is '$caption', expected '$running_caption'"
step "running: caption '$caption'"

# The circle at X 9000, Y 6000 (1/1440 inch, 15 to a pixel) is centred on pixel
# (600, 400) of the drawing area, with a radius of 100 units: under 7 pixels.
circle_box="31x31+585+385"
min_circle_pixels=20  # its outline alone is about 40 pixels

# Sets $circle to the coloured pixels around (600, 400) and $elsewhere to the
# coloured pixels in the rest of the drawing area, on a fresh screenshot.
circle=0
elsewhere=0
measure_circle() {
    count_coloured_pixels
    local total=$pixels
    count_in_shot "$circle_box"
    circle=$pixels
    elsewhere=$((total - circle))
}

# A slow study still hands the window its events after every point: within a
# moment of starting, the circle is on the screen and the places where the
# dialogs were are repainted black.
circle_deadline_ms=3000
while :; do
    app_alive
    measure_circle
    (( circle >= min_circle_pixels && elsewhere == 0 )) && break
    (( $(now_ms) - started <= circle_deadline_ms )) ||
        fail "$(( ($(now_ms) - started) / 1000 )) s into the study the screen shows $circle coloured pixels around (600, 400) of the drawing area (expected a circle of at least $min_circle_pixels) and $elsewhere elsewhere (expected none): the circle is not where it belongs, something else is drawn, or the window is not being repainted"
    sleep 0.2
done
step "running: a circle of $circle pixels around (600, 400) and nothing else, $(( $(now_ms) - started )) ms after the start"

sleep_until_ms=$((started + 2000))
while (( $(now_ms) < sleep_until_ms )); do sleep 0.1; done
app_alive

step "pressing Tab (FIX)"
focus_main
x key Tab || fail "could not press Tab"
fixed=$(now_ms)

# The run ends once it finishes its pass of 10 points, which takes a small
# fraction of a second; then the file is closed, so its last bytes, the closing
# empty line, are on disk and it grows no more.
fix_deadline_ms=1500
header=$'\r\nLogistic Equation\r\na = 2\r\nx = 0.5\r\n\r\n'
line=$'X = 0.5   Y = 0.5\r\n'
# (Any line ending will do here: the exact bytes are checked below.)
last_bytes() { tail -c "$1" "$numbers" | od -An -c | tr -d ' \n'; }
ends_in_empty_line() {
    [[ -f "$numbers" ]] && [[ "$(last_bytes 2)" == '\n\n' || "$(last_bytes 3)" == '\n\r\n' ]]
}
until ends_in_empty_line && (( $(stat -c %s "$numbers") > ${#header} )); do
    app_alive
    (( $(now_ms) - fixed <= fix_deadline_ms )) || {
        [[ -f "$numbers" ]] || fail "Log_Eqn.txt was not written in the program's working directory"
        fail "$(( $(now_ms) - fixed )) ms after FIX Log_Eqn.txt ($(stat -c %s "$numbers") bytes, last bytes '$(last_bytes 24)') does not end in an empty line: the run did not end after its pass, or did not close the file with an empty line"
    }
    sleep 0.05
done
step "Log_Eqn.txt closed $(( $(now_ms) - fixed )) ms after FIX"
sleep 0.5
size=$(stat -c %s "$numbers")

# The file must be exactly the header, N lines (whole passes of 10) and an empty line.
body=$((size - ${#header} - 2))
lines=$((body / ${#line}))
expected="$work/Log_Eqn.expected"
{
    printf '%s' "$header"
    for ((k = 0; k < lines; k++)); do printf '%s' "$line"; done
    printf '\r\n'
} >"$expected"
if ! cmp "$expected" "$numbers" >"$work/cmp.log" 2>&1; then
    printf '[e2e] Log_Eqn.txt (first and last bytes):\n' >&2
    head -c 160 "$numbers" | od -c | sed 's/^/[e2e]   /' >&2
    printf '[e2e]   ...\n' >&2
    tail -c 80 "$numbers" | od -c | sed 's/^/[e2e]   /' >&2
    fail "Log_Eqn.txt is not the header, 'X = 0.5   Y = 0.5' lines and an empty line, all ending in CR LF: $(cat "$work/cmp.log")"
fi
(( lines >= 10 )) || fail "Log_Eqn.txt has $lines number lines, expected at least one pass of 10"
(( lines % 10 == 0 )) || fail "Log_Eqn.txt has $lines number lines, expected whole passes of 10 (FIX finishes the pass)"
step "Log_Eqn.txt: header, $lines lines 'X = 0.5   Y = 0.5', empty line"

# FIX clears the drawing and the caption at once, then the pass goes on to its
# tenth point, each step drawing the circle and setting the caption again. Only
# when FIX lands on the pass's last point is nothing drawn after it.
app_alive
read_caption
measure_circle
if [[ "$caption" == "$running_caption" ]]; then
    step "the rest of the pass after FIX set the caption again: '$caption'"
    (( circle >= min_circle_pixels && elsewhere == 0 )) ||
        fail "after FIX the drawing area has $circle coloured pixels around (600, 400) (expected a circle of at least $min_circle_pixels) and $elsewhere elsewhere (expected none)"
    step "the rest of the pass drew the circle again: $circle pixels around (600, 400) and nothing else"
else
    expect_empty_caption "after FIX (not followed by the caption '$running_caption')"
    step "FIX landed on the last point of a pass: the caption is empty"
    (( circle == 0 && elsewhere == 0 )) ||
        fail "after FIX on the last point of a pass the drawing area has $((circle + elsewhere)) coloured pixels, expected none"
    step "drawing area is black"
fi

# The run is over: nothing is written or drawn any more.
sleep 1
app_alive
[[ "$(stat -c %s "$numbers")" -eq "$size" ]] || fail "Log_Eqn.txt grew after the run ended"
before=$((circle + elsewhere))
count_coloured_pixels
[[ "$pixels" -eq "$before" ]] ||
    fail "1 s after the run ended the drawing area has $pixels coloured pixels, before $before"
step "the study has stopped"

step "PASS"
