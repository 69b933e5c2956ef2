#!/usr/bin/env bash
# QUILLON Studio on a private X server: it opens drawing, Export Video makes
# the file its command line makes, the wheel zooms, Ctrl+K keeps a picture
# that quillon-render makes again byte for byte from its text, a video and a
# counts file quillon-render made open as their figures, and Quit keeps the
# figure for the next start.
#
#   studio_e2e.sh path/to/quillon-studio path/to/quillon-render
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
render=$(realpath "${2:?usage: studio_e2e.sh path/to/quillon-studio path/to/quillon-render}")
e2e_init "$1"
start_xvfb 1280x900

export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
# On the X server, whatever platform the test suite gave the Qt tests, and at
# one device pixel a pixel.
export QT_QPA_PLATFORM=xcb
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE
kept="$work/data/QUILLON/QUILLON Studio/kept"
conf="$work/config/QUILLON/QUILLON Studio.conf"
# Export Video's fields as last left: a tiny video of three frames, into out/.
mkdir -p "$work/config/QUILLON" "$work/out"
printf '%s\n' "[export]" "folder=$work/out" "" "[video]" "preset=3" "width=64" "height=48" "seconds=0.3" \
    "fps=10" "points=0.02" >"$conf"

step "starting the studio"
"$binary" >"$work/quillon.log" 2>&1 &
app_pid=$!
W=$(timeout 20 xdotool search --sync --onlyvisible --name '^QUILLON Studio$' | head -1)
[[ -n "$W" ]] || fail "no studio window within 20 s"

# The preview is the area right of the figure panel.
lit_share() {  # the share of the preview's pixels that are not black
    take_shot
    convert "$shot" -crop 700x500+450+100 +repage -colorspace gray -threshold 8% -format '%[fx:mean]' info:
}
step "waiting for the figure to be drawn"
drawn=""
for _ in $(seq 1 50); do
    app_alive
    share=$(lit_share)
    if awk -v s="$share" 'BEGIN { exit !(s > 0.001) }'; then drawn=$share; break; fi
    sleep 0.2
done
[[ -n "$drawn" ]] || fail "the preview stayed black"
step "drawn: $drawn of the preview lit"

step "Export Video (Ctrl+Shift+E) makes the file its command line makes"
xdotool mousemove --window "$W" 800 350 click 1 key ctrl+shift+e
wait_for_dialog "Export Video"
xdotool key Return
video=""
for _ in $(seq 1 100); do
    app_alive
    [[ -s "$work/out/henon.mp4" ]] && { video="$work/out/henon.mp4"; break; }
    sleep 0.2
done
[[ -n "$video" ]] || fail "Export Video wrote no $work/out/henon.mp4"
"$render" --figure Henon --param a=1.4 --param b=0.3 --frame 1024x768 --size 64x48 --style density \
    --points 20000 --tone log --palette ember --seconds 0.3 --fps 10 --video "$work/command.mp4" -q ||
    fail "quillon-render could not make the video of the dialog's command"
cmp -s "$video" "$work/command.mp4" || fail "the exported video differs from the command line's"

step "zooming in with the wheel, then keeping the picture"
xdotool mousemove --window "$W" 800 350 click 4 click 4 click 4
sleep 1
xdotool mousemove --window "$W" 800 350 click 1 key ctrl+k
picture=""
for _ in $(seq 1 100); do
    app_alive
    picture=$(find "$kept" -name 'kept-*.png' 2>/dev/null | head -1)
    [[ -n "$picture" ]] && break
    sleep 0.2
done
[[ -n "$picture" ]] || fail "Ctrl+K kept no picture in $kept"
grep -qa 'quillon:zoom' "$picture" || fail "the kept picture does not tell its view"
grep -qa 'quillon:figure' "$picture" || fail "the kept picture does not tell its figure"

step "quillon-render makes the kept picture again"
"$render" --replay "$picture" -o "$work/again.png" -q || fail "quillon-render could not replay the kept picture"
cmp -s "$picture" "$work/again.png" || fail "the replayed picture differs from the kept one"

step "opening a video and a counts file quillon-render made"
"$render" --figure Lozi --size 64x48 --style density --points 20000 --seconds 0.2 --fps 10 \
    --video "$work/lozi.mp4" -q || fail "quillon-render made no video"
"$render" --figure Hopalong --size 64x48 --style density --points 20000 --palette viridis \
    --save-counts "$work/hopalong.exr" -q || fail "quillon-render made no counts file"
open_with_ctrl_o() {  # opened once it is the latest of the recent files
    xdotool mousemove --window "$W" 800 350 click 1 key ctrl+o
    wait_for_dialog "Open a picture, video, counts or caption file"
    # The file name field has the keyboard only once the dialog has settled;
    # on a loaded machine keys typed before that are lost.
    focus_window "$dialog"
    sleep 1
    xdotool key ctrl+a
    xdotool type "$1"
    xdotool key Return
    # Up to 30 s: a loaded machine running a sanitized build takes its time.
    for _ in $(seq 1 150); do
        app_alive
        grep -q "^recentFiles=$1" "$conf" 2>/dev/null && return 0
        sleep 0.2
    done
    fail "$1 was not opened"
}
open_with_ctrl_o "$work/lozi.mp4"
open_with_ctrl_o "$work/hopalong.exr"

step "quitting with Ctrl+Q"
xdotool mousemove --window "$W" 800 350 click 1 key ctrl+q
for _ in $(seq 1 50); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "Ctrl+Q did not end the studio"
wait "$app_pid"
status=$?
app_pid=""
((status == 0)) || fail "the studio ended with status $status"
grep -q '^figure=Hopalong' "$conf" || fail "the figure shown was not kept for the next start"
grep -q '^palette=viridis' "$conf" || fail "the counts file's look was not shown"
step "pass"
