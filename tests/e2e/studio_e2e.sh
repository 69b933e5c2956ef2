#!/usr/bin/env bash
# QUILLON Studio on a private X server: it opens drawing, the wheel zooms,
# Ctrl+K keeps a picture that quillon-render makes again byte for byte from
# its text, and Quit keeps the figure for the next start.
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

step "quitting with Ctrl+Q"
xdotool key --window "$W" ctrl+q
for _ in $(seq 1 50); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$app_pid" 2>/dev/null && fail "Ctrl+Q did not end the studio"
wait "$app_pid"
status=$?
app_pid=""
((status == 0)) || fail "the studio ended with status $status"
grep -q '^figure=Henon' "$work/config/QUILLON/QUILLON Studio.conf" ||
    fail "the figure shown was not kept for the next start"
step "pass"
