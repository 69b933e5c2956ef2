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

max_attempts=10
min_attractor_pixels=200   # a real attractor colours thousands of pixels within a second
escaped_below=20           # an orbit that escaped at once leaves only a few points behind

initial_caption="QUILLON.$(printf '%71s' '')Study your math  -  it's the key to the Universe!"
henon_prefix="Henon      a = "

step() { printf '[e2e] %s\n' "$*"; }

work=""
xvfb_pid=""
app_pid=""
keep_work=0

fail() {
    printf '[e2e] FAIL: %s\n' "$*" >&2
    if [[ -n "$work" && -s "$work/quillon.log" ]]; then
        printf '[e2e] program output:\n' >&2
        sed 's/^/[e2e]   /' "$work/quillon.log" >&2
    fi
    if [[ -n "$work" ]]; then
        keep_work=1
        printf '[e2e] screenshots and logs kept in %s\n' "$work" >&2
    fi
    exit 1
}

cleanup() {
    local status=$?
    if [[ -n "$app_pid" ]] && kill -0 "$app_pid" 2>/dev/null; then
        kill "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
    fi
    if [[ -n "$xvfb_pid" ]] && kill -0 "$xvfb_pid" 2>/dev/null; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    if [[ -n "$work" && "$keep_work" -eq 0 ]]; then
        rm -rf "$work"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

[[ $# -eq 1 ]] || fail "usage: $0 path/to/quillon"
[[ -x "$1" ]] || fail "program not found or not executable: $1"
binary=$(realpath "$1")
app_name=$(basename "$binary")

for tool in Xvfb xdotool xdpyinfo xprop xwininfo import convert; do
    command -v "$tool" >/dev/null || fail "missing tool: $tool (run scripts/setup.sh)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/quillon-e2e.XXXXXX")

# --- X server -----------------------------------------------------------------

start_xvfb() {
    local n
    for n in $(seq 91 140); do
        [[ -e "/tmp/.X$n-lock" || -e "/tmp/.X11-unix/X$n" ]] && continue
        # -noreset: by default the server resets when its last client leaves,
        # and the program's connection could land in the middle of that reset
        # right after xdpyinfo has gone.
        Xvfb ":$n" -nolisten tcp -noreset -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 1 100); do
            if ! kill -0 "$xvfb_pid" 2>/dev/null; then
                break  # lost the race for this display number: try the next one
            fi
            if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=""
    done
    fail "could not start Xvfb on any display from :91 to :140"
}

step "starting Xvfb"
start_xvfb
step "Xvfb answers on $DISPLAY"

# --- helpers --------------------------------------------------------------------

app_alive() {
    kill -0 "$app_pid" 2>/dev/null || fail "the program has exited"
}

x() {
    # Every X call has a deadline, so a stuck call fails the test instead of hanging it.
    timeout 10 xdotool "$@"
}

# Sets $caption to the main window's name as X reports it.
caption=""
read_caption() {
    caption=$(x getwindowname "$W") || fail "could not read the main window's name"
}

# The drawing area: the window's client area below the menu bar.
area=""
measure_area() {
    # shellcheck disable=SC2034  # getwindowgeometry --shell sets all six
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(x getwindowgeometry --shell "$W")"
    local top=40
    (( WIDTH > 0 && HEIGHT > top )) || fail "window geometry ${WIDTH}x${HEIGHT} too small"
    area="${WIDTH}x$((HEIGHT - top))+${X}+$((Y + top))"
}

# Sets $pixels to the number of pixels in the drawing area that are not black.
shot_count=0
pixels=0
count_coloured_pixels() {
    shot_count=$((shot_count + 1))
    local shot="$work/shot-$shot_count.png"
    timeout 20 import -window root "$shot" || fail "screenshot failed"
    local count
    count=$(convert "$shot" -crop "$area" +repage -colorspace Gray -threshold 1% \
        -precision 15 -format '%[fx:round(mean*w*h)]' info:) || fail "could not measure $shot"
    [[ "$count" =~ ^[0-9]+$ ]] || fail "unexpected pixel count '$count' from $shot"
    pixels=$count
}

# The caption as the program set it. Qt gives X a window name of its own (the
# application's name) when the caption is empty, but WM_NAME carries the
# caption unchanged.
wm_name_is_empty() {
    local line
    line=$(timeout 10 xprop -id "$W" -notype WM_NAME) || return 1
    [[ "$line" == "WM_NAME = " || "$line" == 'WM_NAME = ""' ]]
}

# --- the program ------------------------------------------------------------------

step "starting $binary in $work"
mkdir -m 700 "$work/runtime"
(
    cd "$work"
    # A fixed locale keeps the decimal point in the caption a point; without a
    # desktop's theme, style or scaling the window is Qt's plain 1:1 Fusion one
    # whatever session the test is started from.
    exec env -u QT_QPA_PLATFORMTHEME -u QT_STYLE_OVERRIDE -u QT_SCALE_FACTOR \
        -u QT_SCREEN_SCALE_FACTORS -u QT_AUTO_SCREEN_SCALE_FACTOR -u QT_ENABLE_HIGHDPI_SCALING \
        -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u WAYLAND_DISPLAY \
        QT_QPA_PLATFORM=xcb DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$work/runtime" \
        LC_ALL=C.UTF-8 LANG=C.UTF-8 "$binary"
) >"$work/quillon.log" 2>&1 &
app_pid=$!

# "--name QUILLON" would also find Qt's hidden "Qt Selection Owner for quillon".
W=""
for _ in $(seq 1 100); do
    app_alive
    W=$(x search --name '^QUILLON\.' 2>/dev/null | head -n 1 || true)
    if [[ -n "$W" ]] && timeout 10 xwininfo -id "$W" 2>/dev/null | grep -q 'Map State: IsViewable'; then
        break
    fi
    W=""
    sleep 0.1
done
[[ -n "$W" ]] || fail "no visible window named 'QUILLON.' appeared within 10 s"
step "main window is $W"

read_caption
[[ "$caption" == "$initial_caption" ]] ||
    fail "start-up caption is '$caption', expected '$initial_caption'"
step "start-up caption is right"

# There is no window manager: give the window the keyboard directly.
x windowfocus --sync "$W" || fail "could not focus the main window"
measure_area
step "drawing area is $area"

sleep 0.3
count_coloured_pixels
[[ "$pixels" -eq 0 ]] || fail "the drawing area has $pixels coloured pixels before any figure was started"
step "drawing area is black at start-up"

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

step "pressing Escape"
x key Escape
sleep 0.5
app_alive

read_caption
[[ -z "$caption" || "$caption" == "$app_name" ]] ||
    fail "after Escape the window is named '$caption', expected an empty caption"
wm_name_is_empty || fail "after Escape WM_NAME is '$(xprop -id "$W" -notype WM_NAME)', expected empty"
step "caption is empty"

count_coloured_pixels
[[ "$pixels" -eq 0 ]] || fail "after Escape the drawing area still has $pixels coloured pixels"
step "drawing area is black"

# A cleared area that fills again would mean the drawing went on.
sleep 1
count_coloured_pixels
[[ "$pixels" -eq 0 ]] || fail "1 s after Escape the drawing area has $pixels coloured pixels: the drawing did not stop"
app_alive
step "drawing has stopped"

step "PASS"
