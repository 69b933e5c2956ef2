# shellcheck shell=bash
# Shared helpers of the end-to-end scripts; source it, do not run it.
#
#   source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
#   e2e_init "$@"            # checks the arguments and tools, makes the work directory
#   start_xvfb [WxH]         # a private X server (1280x1024 unless given); exports DISPLAY
#   start_program            # QUILLON in the work directory; checks the start-up window
#
# After start_program: $W is the main window, $area the drawing area as an
# ImageMagick geometry (WxH+X+Y on the screen) and the window has the keyboard.
# Any helper that finds something wrong calls fail, which reports, keeps the
# work directory for a look and ends the script; the EXIT trap stops the
# program and the X server.

initial_caption="QUILLON.$(printf '%71s' '')Study your math  -  it's the key to the Universe!"

step() { printf '[e2e] %s\n' "$*"; }

work=""
xvfb_pid=""
app_pid=""
keep_work=0
binary=""
app_name=""

fail() {
    printf '[e2e] FAIL: %s\n' "$*" >&2
    if [[ -n "$work" && -s "$work/quillon.log" ]]; then
        printf '[e2e] program output:\n' >&2
        sed 's/^/[e2e]   /' "$work/quillon.log" >&2
    fi
    if [[ -n "$work" && -s "$work/import.log" ]]; then
        printf '[e2e] screenshot tool output:\n' >&2
        sed 's/^/[e2e]   /' "$work/import.log" >&2
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

# e2e_init path/to/quillon
e2e_init() {
    trap cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM

    [[ $# -eq 1 ]] || fail "usage: $0 path/to/quillon"
    [[ -x "$1" ]] || fail "program not found or not executable: $1"
    binary=$(realpath "$1")
    app_name=$(basename "$binary")

    local tool
    for tool in Xvfb xdotool xdpyinfo xprop xwininfo import convert cmp od; do
        command -v "$tool" >/dev/null || fail "missing tool: $tool (run scripts/setup.sh)"
    done

    [[ -n "${EPOCHREALTIME:-}" ]] || fail "bash 5 or later is needed (for EPOCHREALTIME)"

    work=$(mktemp -d "${TMPDIR:-/tmp}/quillon-e2e.XXXXXX")
}

# --- X server -----------------------------------------------------------------

start_xvfb() {
    local size=${1:-1280x1024}
    [[ "$size" =~ ^[0-9]+x[0-9]+$ ]] || fail "bad screen size '$size'"
    step "starting Xvfb with a $size screen"
    # The server picks a free display number itself and writes it to fd 3 once
    # it takes connections: scripts started side by side cannot end up sharing
    # one server, as they could when each tried numbers on its own.
    # -noreset: by default the server resets when its last client leaves, and
    # the program's connection could land in the middle of that reset right
    # after xdpyinfo has gone.
    Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 "${size}x24" \
        3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local n=""
    for _ in $(seq 1 100); do
        kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb exited: $(cat "$work/xvfb.log")"
        # read fails on a line not yet ended by its newline
        if read -r n 2>/dev/null <"$work/display" && [[ "$n" =~ ^[0-9]+$ ]]; then
            break
        fi
        n=""
        sleep 0.1
    done
    [[ -n "$n" ]] || fail "Xvfb did not report a display within 10 s"
    for _ in $(seq 1 100); do
        if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
            export DISPLAY=":$n"
            step "Xvfb answers on $DISPLAY"
            return 0
        fi
        sleep 0.1
    done
    fail "Xvfb on :$n does not answer"
}

# --- X calls ------------------------------------------------------------------

app_alive() {
    kill -0 "$app_pid" 2>/dev/null || fail "the program has exited"
}

x() {
    # Every X call has a deadline, so a stuck call fails the test instead of hanging it.
    timeout 10 xdotool "$@"
}

is_viewable() {
    timeout 10 xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

# There is no window manager: the keyboard goes to whichever window X has
# given the input focus, so every window is handed the focus before typing.
focus_window() {
    x windowfocus --sync "$1" || fail "could not give window $1 the keyboard"
}

focus_main() {
    focus_window "$W"
}

# Sets $caption to the main window's name as X reports it.
caption=""
read_caption() {
    caption=$(x getwindowname "$W") || fail "could not read the main window's name"
}

# Sets $wm_name to the caption as the program set it. Qt gives X a window name
# of its own (the application's name) when the caption is empty, but WM_NAME
# carries the caption unchanged. xprop prints  WM_NAME = "text"  or, for an
# empty name,  WM_NAME =  ; the captions here hold no quotes or backslashes
# that xprop would escape.
wm_name=""
read_wm_name() {
    local line
    line=$(timeout 10 xprop -id "$W" -notype WM_NAME) || fail "could not read WM_NAME of the main window"
    case "$line" in
        'WM_NAME = ' | 'WM_NAME = ""') wm_name="" ;;
        'WM_NAME = "'*'"') wm_name=${line#'WM_NAME = "'}; wm_name=${wm_name%'"'} ;;
        *) fail "unexpected WM_NAME line from xprop: '$line'" ;;
    esac
}

wm_name_is_empty() {
    read_wm_name
    [[ -z "$wm_name" ]]
}

# Fails unless the caption is empty: WM_NAME empty and the name X shows either
# empty or the application's own.
expect_empty_caption() {
    local when=$1
    read_caption
    [[ -z "$caption" || "$caption" == "$app_name" ]] ||
        fail "$when the window is named '$caption', expected an empty caption"
    wm_name_is_empty || fail "$when WM_NAME is '$wm_name', expected empty"
}

# --- screenshots ----------------------------------------------------------------

shot=""
shot_count=0
take_shot() {
    shot_count=$((shot_count + 1))
    shot="$work/shot-$shot_count.png"
    local try rc
    for try in 1 2 3; do
        rc=0
        timeout 20 import -window root "$shot" 2>>"$work/import.log" || rc=$?
        (( rc == 0 )) && [[ -s "$shot" ]] && return 0
        printf 'screenshot %s, try %s: exit status %s\n' "$shot_count" "$try" "$rc" >>"$work/import.log"
    done
    fail "screenshot failed (exit status $rc; see $work/import.log)"
}

# The drawing area: the window's client area below the menu bar. The menu bar
# is light and the drawing area black at start-up, so the first black row at
# the window's right edge (clear of the menu titles) is where the area begins.
area=""
area_x=0
area_y=0
area_w=0
area_h=0
measure_area() {
    # shellcheck disable=SC2034  # getwindowgeometry --shell sets all six
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(x getwindowgeometry --shell "$W")"
    (( WIDTH > 20 && HEIGHT > 100 )) || fail "window geometry ${WIDTH}x${HEIGHT} too small"
    take_shot
    local rows
    rows=$(convert "$shot" -crop "1x100+$((X + WIDTH - 4))+$Y" +repage -colorspace Gray -threshold 1% \
        -depth 8 txt:- | awk '/^[0-9]/ { print ($0 ~ /#000000/) ? 0 : 1 }' | tr -d '\n') ||
        fail "could not read the column at the window's right edge from $shot"
    [[ "$rows" =~ ^1+0+$ && ${#rows} -eq 100 ]] ||
        fail "the window's top 100 rows at its right edge are not a light menu bar over a black area (rows: $rows)"
    local top=${rows%%0*}
    top=${#top}
    (( top >= 10 && top <= 60 )) || fail "menu bar of $top rows is implausible"
    area_x=$X
    area_y=$((Y + top))
    area_w=$WIDTH
    area_h=$((HEIGHT - top))
    area="${area_w}x${area_h}+${area_x}+${area_y}"
}

# Sets $pixels to the number of pixels in the drawing area that are not black,
# on a fresh screenshot.
pixels=0
count_coloured_pixels() {
    take_shot
    count_in_shot ""
}

# wait_for_pixels MIN SECONDS
# Counts the coloured pixels every 0.1 s until there are at least MIN or SECONDS
# have passed; $pixels holds the last count. Fails only if the program died.
wait_for_pixels() {
    local tries=$(( $2 * 10 ))
    for _ in $(seq 1 "$tries"); do
        app_alive
        count_coloured_pixels
        (( pixels >= $1 )) && return 0
        sleep 0.1
    done
    return 1
}

# count_in_shot [WxH+DX+DY]
# Sets $pixels to the number of pixels that are not black on the last
# screenshot: in the drawing area or, given a rectangle relative to the drawing
# area's top-left, in that part of it.
count_in_shot() {
    local crop=$area
    if [[ -n "${1:-}" ]]; then
        local re='^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$'
        [[ "$1" =~ $re ]] || fail "bad rectangle '$1'"
        crop="${BASH_REMATCH[1]}x${BASH_REMATCH[2]}+$((area_x + BASH_REMATCH[3]))+$((area_y + BASH_REMATCH[4]))"
    fi
    local count
    count=$(convert "$shot" -crop "$crop" +repage -colorspace Gray -threshold 1% \
        -precision 15 -format '%[fx:round(mean*w*h)]' info:) || fail "could not measure $shot"
    [[ "$count" =~ ^[0-9]+$ ]] || fail "unexpected pixel count '$count' from $shot"
    pixels=$count
}

# --- the program ------------------------------------------------------------------

# Starts the program in the work directory (which is where it writes its
# files), waits for the main window, checks the start-up caption and the black
# drawing area, and gives the window the keyboard.
start_program() {
    step "starting $binary in $work"
    mkdir -m 700 "$work/runtime"
    (
        cd "$work" || exit 1
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
        if [[ -n "$W" ]] && is_viewable "$W"; then
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

    focus_main
    sleep 0.3
    measure_area
    step "drawing area is $area"

    count_coloured_pixels
    [[ "$pixels" -eq 0 ]] || fail "the drawing area has $pixels coloured pixels before any figure was started"
    step "drawing area is black at start-up"
}

# --- dialogs ------------------------------------------------------------------------

# wait_for_dialog TITLE [NOT_ID]
# Sets $dialog to a visible window named exactly TITLE other than NOT_ID (the
# dialog just answered, which may not have gone yet), waiting up to 10 s.
dialog=""
wait_for_dialog() {
    local title=$1 not=${2:-} id
    local pattern="^${title}\$"
    for _ in $(seq 1 100); do
        app_alive
        for id in $(x search --onlyvisible --name "$pattern" 2>/dev/null || true); do
            if [[ "$id" != "$not" ]] && is_viewable "$id"; then
                dialog=$id
                return 0
            fi
        done
        sleep 0.1
    done
    fail "no window named '$title' appeared within 10 s"
}

# wait_for_dialog_gone ID
wait_for_dialog_gone() {
    for _ in $(seq 1 100); do
        app_alive
        is_viewable "$1" || return 0
        sleep 0.1
    done
    fail "dialog $1 was still open 10 s after it was answered"
}

# Fails if a window named TITLE is open.
expect_no_dialog() {
    local title=$1 found
    found=$(x search --onlyvisible --name "^${title}\$" 2>/dev/null || true)
    [[ -z "$found" ]] || fail "a window named '$title' is open ($found), expected none"
}

# answer_input_box TITLE TEXT [NOT_ID] [over-selection]
# Finds the input box, puts TEXT in place of the text it holds and presses
# Return; sets $dialog to the box answered. The text is selected with Ctrl+A
# first, unless the fourth argument is over-selection: then TEXT is typed
# straight in, so it replaces the box's text only if the box opened with its
# text selected.
answer_input_box() {
    local title=$1 text=$2 not=${3:-} how=${4:-}
    wait_for_dialog "$title" "$not"
    focus_window "$dialog"
    if [[ "$how" != over-selection ]]; then
        x key ctrl+a || fail "could not select the text of input box $dialog"
    fi
    x type --delay 30 "$text" || fail "could not type into input box $dialog"
    x key Return || fail "could not press Return in input box $dialog"
    wait_for_dialog_gone "$dialog"
}

# wait_for_new_window BEFORE...
# Sets $dialog to a visible window that is not one of the ids BEFORE (taken with
# visible_windows before the key that opens it), waiting up to 10 s. Whatever
# its title, it must belong to the main window (WM_TRANSIENT_FOR), as the
# program's dialogs and message boxes do.
visible_windows() {
    x search --onlyvisible --name . 2>/dev/null | sort || true
}
wait_for_new_window() {
    local id owner
    for _ in $(seq 1 100); do
        app_alive
        for id in $(visible_windows); do
            [[ " $* " == *" $id "* ]] && continue
            is_viewable "$id" || continue
            dialog=$id
            owner=$(timeout 10 xprop -id "$id" -notype WM_TRANSIENT_FOR) ||
                fail "could not read WM_TRANSIENT_FOR of window $id"
            if [[ "${owner##* }" =~ ^0x[0-9a-f]+$ ]] && (( ${owner##* } == W )); then
                return 0
            fi
            fail "the new window $id '$(x getwindowname "$id")' does not belong to the main window ($owner)"
        done
        sleep 0.1
    done
    fail "no new window appeared within 10 s"
}

# --- common checks ------------------------------------------------------------------

expect_black_area() {
    local when=$1
    count_coloured_pixels
    [[ "$pixels" -eq 0 ]] || fail "$when the drawing area has $pixels coloured pixels, expected none"
}

# Escape resets whatever runs: the caption becomes empty, the drawing area black,
# and it stays black, since a cleared area that fills again would mean the
# drawing went on.
press_escape_and_expect_reset() {
    step "pressing Escape"
    focus_main
    x key Escape || fail "could not press Escape"
    sleep 0.5
    app_alive
    expect_empty_caption "after Escape"
    step "caption is empty"
    expect_black_area "after Escape"
    step "drawing area is black"
    sleep 1
    expect_black_area "1 s after Escape, when the drawing should have stopped,"
    app_alive
    step "drawing has stopped"
}

# Sets $signature to a digest of the drawing area's pixels on the last screenshot.
signature=""
area_signature() {
    signature=$(convert "$shot" -crop "$area" +repage -depth 8 rgb:- | md5sum) ||
        fail "could not read the drawing area from $shot"
    signature=${signature%% *}
}

# A running figure changes the picture all the time: a new colour comes with
# every pass of a few thousand points, even where an orbit has settled on a
# point. Fails unless one of a few screenshots differs from the first.
expect_picture_changes() {
    local when=$1 first
    take_shot
    area_signature
    first=$signature
    for _ in 1 2 3 4 5 6; do
        sleep 0.3
        app_alive
        take_shot
        area_signature
        [[ "$signature" != "$first" ]] && return 0
    done
    fail "$when the picture stayed the same over 7 screenshots: nothing is being drawn"
}

# Sets $rss to the program's resident memory in kB.
rss=0
read_rss() {
    app_alive
    rss=$(ps -o rss= -p "$app_pid" | tr -d ' ') || fail "could not read the program's resident size"
    [[ "$rss" =~ ^[0-9]+$ ]] || fail "unexpected resident size '$rss' from ps"
}

# Processor time used by the program so far, user and system, in clock ticks
# (fields 14 and 15 of its stat line, counted after the name in parentheses).
cpu_ticks() {
    awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$app_pid/stat" 2>/dev/null ||
        fail "could not read the program's processor time"
}

# A program with nothing to draw waits for events: over 2 s it uses the
# processor for a small fraction of the time; a drawing loop still going,
# seen or not, keeps it busy all the time.
expect_idle() {
    local when=$1 hz before after used_ms
    hz=$(getconf CLK_TCK)
    app_alive
    before=$(cpu_ticks)
    sleep 2
    app_alive
    after=$(cpu_ticks)
    used_ms=$(( (after - before) * 1000 / hz ))
    (( used_ms <= 400 )) ||
        fail "$when the program used the processor for $used_ms ms of 2 s: something is still running"
    step "idle: $used_ms ms of processor time in 2 s"
}

# Sets $caption to the caption of the figure on show, waiting up to 3 s while
# it is empty (between two figures of the slide show).
read_figure_caption() {
    for _ in $(seq 1 30); do
        app_alive
        read_caption
        [[ -n "$caption" && "$caption" != "$app_name" ]] && return 0
        sleep 0.1
    done
    fail "the caption stayed empty for 3 s"
}

# Milliseconds on the wall clock.
now_ms() {
    local t=${EPOCHREALTIME/[.,]/}
    printf '%s\n' "$((10#$t / 1000))"
}
