#!/usr/bin/env bash
# End-to-end check of saving the picture and of the slide show, on a private X server.
#
#   save_slideshow_e2e.sh path/to/quillon
#
# One session of the program, driven with xdotool:
#   1. F1 draws Lorenz; Space opens the save dialog, a path ending in "shot"
#      and Return save shot.BMP (the dialog adds the extension): a
#      24-bit bitmap as large as the main window, holding the coloured points
#      that were on the screen when Space was pressed and none that the screen
#      does not show afterwards. The drawing goes on once the dialog is closed.
#   2. Space and Escape: the dialog is cancelled, a message box (Image not
#      saved!) says so, no file is written, Return closes it and the drawing
#      goes on. Escape resets.
#   3. F9 starts the slide show: within moments a figure's caption and its
#      points; about 10 s later another figure. F10 stops it: empty caption,
#      black drawing area that stays black, nothing left running.
set -euo pipefail

# shellcheck source=SCRIPTDIR/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

min_lorenz_pixels=400   # see studies_e2e.sh: Lorenz colours more within a second

e2e_init "$@"
start_xvfb
start_program

# mask_of IMAGE WxH+X+Y NAME: sets $mask to a file, white where IMAGE's
# rectangle is coloured, black where it is black.
mask=""
mask_of() {
    mask="$work/$3.png"
    convert "$1" -crop "$2" +repage -colorspace Gray -threshold 1% "$mask" ||
        fail "could not make a mask of $1"
}
# stretched MASK WxH NAME: sets $mask to MASK stretched to WxH pixels, each
# row standing also for the rows above and below it.
stretched() {
    mask="$work/$3.png"
    convert "$1" -morphology Dilate Rectangle:1x3 -sample "$2!" "$mask" ||
        fail "could not stretch $1"
}
# white_in MASK [MASK2]: sets $white to the white pixels of MASK (or of both).
white=0
white_in() {
    local args=("$1")
    [[ $# -eq 2 ]] && args+=("$2" -compose Multiply -composite)
    white=$(convert "${args[@]}" -precision 15 -format '%[fx:round(mean*w*h)]' info:) ||
        fail "could not count the pixels of $*"
}
# expect_within INNER OUTER WHAT: every white pixel of INNER is white in OUTER.
expect_within() {
    white_in "$1"
    local inner=$white
    white_in "$1" "$2"
    (( white == inner )) || fail "$3: $((inner - white)) of $inner coloured pixels are missing"
}
# le_int FILE OFFSET SIZE: the little-endian signed whole number there.
le_int() {
    od -An -t "d$3" -j "$2" -N "$3" --endian=little "$1" | tr -d ' '
}

# --- 1. save ------------------------------------------------------------------------

step "F1: Lorenz"
focus_main
x key F1 || fail "could not press F1"
wait_for_pixels "$min_lorenz_pixels" 6 || fail "Lorenz coloured only $pixels pixels"
step "Lorenz draws: $pixels coloured pixels"

mapfile -t windows < <(visible_windows)
take_shot
mask_of "$shot" "$area" before
step "Space: save"
x key space || fail "could not press Space"
wait_for_new_window "${windows[@]}"
save_dialog=$dialog
step "save dialog $save_dialog '$(x getwindowname "$save_dialog")'"
focus_window "$save_dialog"
# The whole path, wherever the dialog opened; no extension.
x type --delay 30 "$work/shot" || fail "could not type into the save dialog"
x key Return || fail "could not press Return in the save dialog"
wait_for_dialog_gone "$save_dialog"

bmp="$work/shot.BMP"
for _ in $(seq 1 50); do
    [[ -s "$bmp" ]] && break
    sleep 0.1
done
[[ -s "$bmp" ]] || fail "no $bmp after saving to $work/shot: $(ls "$work")"
leftovers=$(find "$work" -maxdepth 1 -name 'shot*' ! -name 'shot-*.png' ! -name shot.BMP)
[[ -z "$leftovers" ]] || fail "saving left other files behind: $leftovers"

# The header: "BM", the file's size, where the pixels begin; the information
# block: width, height (negative for rows stored top-down), 24 bits a pixel, no
# compression; then rows of 3 bytes a pixel, each filled up to a multiple of 4.
eval "$(x getwindowgeometry --shell "$W")"
size=$(stat -c %s "$bmp")
[[ "$(head -c 2 "$bmp")" == BM ]] || fail "shot.BMP does not begin with 'BM'"
width=$(le_int "$bmp" 18 4) height=$(le_int "$bmp" 22 4) bits=$(le_int "$bmp" 28 2)
(( width == WIDTH && ${height#-} == HEIGHT )) ||
    fail "shot.BMP is ${width}x${height}, the main window ${WIDTH}x${HEIGHT}"
(( bits == 24 )) || fail "shot.BMP has $bits bits a pixel, expected 24"
(( $(le_int "$bmp" 30 4) == 0 )) || fail "shot.BMP is compressed"
(( $(le_int "$bmp" 2 4) == size )) || fail "shot.BMP says it has $(le_int "$bmp" 2 4) bytes, it has $size"
(( $(le_int "$bmp" 10 4) + (width * 3 + 3) / 4 * 4 * ${height#-} == size )) ||
    fail "shot.BMP's $size bytes are not its header and ${height#-} rows of $width pixels"
step "shot.BMP: ${width}x${height}, 24 bits a pixel, $size bytes"

# The picture is as large as the whole window but has the drawing area's
# scale: the drawing stretched to the window's height, to a row.
mask_of "$bmp" "${WIDTH}x${HEIGHT}+0+0" saved
saved_mask=$mask
white_in "$saved_mask"
(( white >= min_lorenz_pixels )) || fail "shot.BMP has only $white coloured pixels"
stretched "$saved_mask" "${area_w}x${area_h}" saved-on-area
expect_within "$work/before.png" "$mask" "shot.BMP lacks points the screen showed before Space"
expect_picture_changes "after the save dialog closed"
mask_of "$shot" "$area" after
stretched "$mask" "${WIDTH}x${HEIGHT}" after-on-picture
expect_within "$saved_mask" "$mask" "the screen does not show points of shot.BMP"
step "shot.BMP holds $white coloured pixels, where the screen has them; the drawing goes on"

# --- 2. cancel ----------------------------------------------------------------------

mapfile -t windows < <(visible_windows)
step "Space, then Escape in the dialog"
focus_main
x key space || fail "could not press Space"
wait_for_new_window "${windows[@]}"
save_dialog=$dialog
focus_window "$save_dialog"
x key Escape || fail "could not press Escape in the save dialog"
wait_for_dialog_gone "$save_dialog"
wait_for_new_window "${windows[@]}"
title=$(x getwindowname "$dialog")
[[ "$title" == QUILLON ]] || fail "after cancelling, a window named '$title' opened, expected the message box 'QUILLON'"
step "message box $dialog 'QUILLON' (Image not saved!)"
written=$(find "$work" -mindepth 1 -maxdepth 1 -newer "$bmp" ! -name '*.png' ! -name '*.log' ! -name runtime)
[[ -z "$written" ]] || fail "a cancelled save wrote $written"
focus_window "$dialog"
x key Return || fail "could not press Return in the message box"
wait_for_dialog_gone "$dialog"
expect_picture_changes "after the message box closed"
step "closed; nothing written, the drawing goes on"
press_escape_and_expect_reset

# --- 3. slide show ------------------------------------------------------------------

step "F9: slide show"
focus_main
x key F9 || fail "could not press F9"

# Random parameters may make an orbit escape, and such a slide rightly draws
# nothing; so each slide is given 3 s to draw, and some slide among the first
# four must draw. Timer1 ends every slide after 10 s.
drawn=""
previous=""
started=$(now_ms)
for slide in 1 2 3 4; do
    until read_figure_caption; [[ "$caption" != "$previous" ]]; do
        (( $(now_ms) - started < 15000 )) || fail "15 s into slide $(( slide - 1 )) it still shows '$previous'"
        sleep 0.2
    done
    if [[ -n "$previous" ]]; then
        changed=$(( $(now_ms) - started ))
        (( changed >= 9000 )) || fail "slide $(( slide - 1 )) gave way after $changed ms, expected 10 s"
        step "slide $slide after $changed ms"
    fi
    started=$(now_ms)
    previous=$caption
    wait_for_pixels 1 3 && drawn=$caption
    step "slide $slide: '$caption', $pixels coloured pixels"
    # Two slides show that Timer1 moves the show on; go on only for one that draws.
    (( slide >= 2 )) && [[ -n "$drawn" ]] && break
done
[[ -n "$drawn" ]] || fail "none of four slides drew anything within 3 s"

step "F10: slide show off"
focus_main
x key F10 || fail "could not press F10"
sleep 0.5
expect_empty_caption "after F10"
expect_black_area "after F10"
expect_idle "after F10"
expect_black_area "2 s after F10"
step "caption empty, drawing area black and still black 2 s later"

step "PASS"
