#!/usr/bin/env bash
# quillon-render's counts files as a user runs them: --save-counts keeps the
# counts (and draws a picture only with -o), --continue counts on into them to
# the bytes of one long run at any threads, --retone colours them again as a
# fresh render would and its picture replays, and files that are not ours or
# are damaged are refused with one line and status 2, writing nothing.
#
#   counts_cli_test.sh path/to/quillon-render
source "$(dirname "${BASH_SOURCE[0]}")/cli_lib.sh"
cli_init counts_cli_test.sh "$@"

henon=(--figure henon --style density --size 160x120 --aa 2)
orbit=1048576  # one orbit of the growing plan

# --- counts alone, or with the picture ---
"$render" "${henon[@]}" --points $((orbit + 5)) --save-counts alone.exr -q || fail "--save-counts alone"
[[ -s alone.exr ]] || fail "--save-counts wrote no counts"
compgen -G '*.png' > /dev/null && fail "--save-counts without -o drew a picture"
"$render" "${henon[@]}" --points $((orbit + 5)) --save-counts both.exr -o both.png -q || fail "--save-counts -o"
[[ -s both.png ]] || fail "--save-counts -o drew no picture"
cmp -s alone.exr both.exr || fail "the counts depend on whether a picture is drawn"

# --- counting on equals one run, whichever threads count either run ---
for threads in 1 2; do
    "$render" "${henon[@]}" --points $((orbit + 5 + 4000)) -j 2 --save-counts once.exr -o once.png -q ||
        fail "one run"
    cp alone.exr "on-$threads.exr"
    "$render" --continue "on-$threads.exr" --points 4000 -j "$threads" -o "on-$threads.png" -q ||
        fail "--continue with $threads threads"
    cmp -s once.exr "on-$threads.exr" || fail "--continue with $threads threads: the counts differ from one run"
    cmp -s once.png "on-$threads.png" || fail "--continue with $threads threads: the picture differs from one run"
    compgen -G ".on-$threads.exr.partial-*" > /dev/null && fail "--continue left a partial file"
done

# --- retone: the same picture as counted, another look as fresh, replayed ---
"$render" --retone both.exr -o same.png -q || fail "--retone"
[[ $(compare -metric AE both.png same.png null: 2>&1) == 0 ]] || fail "--retone without a look differs"
look=(--tone flame --exposure 1 --palette ocean --background '#102030' --depth 16)
"$render" --retone both.exr "${look[@]}" -o retoned.png -q || fail "--retone with a look"
"$render" "${henon[@]}" --points $((orbit + 5)) "${look[@]}" -o fresh.png -q || fail "fresh render"
[[ $(compare -metric AE fresh.png retoned.png null: 2>&1) == 0 ]] || fail "--retone differs from a fresh render"
"$render" --replay retoned.png -o replayed.png -q || fail "--replay of a retoned picture"
cmp -s replayed.png retoned.png || fail "the replay of a retoned picture differs"
grep -aq 'quillon:counts-file' retoned.png || fail "the retoned picture does not name its counts"

# --- refused: status 2, one line, nothing written, the counts unchanged ---
"$render" "${henon[@]}" --colour-by angle --points 5000 --save-counts angle.exr -q || fail "--colour-by angle"
head -c 2000 alone.exr > cut.exr
printf 'not an image' > text.exr
cp alone.exr kept.exr
counts_unchanged() { cmp -s alone.exr kept.exr || fail "$1: changed the counts"; }
expect_refusals counts_unchanged <<'TABLE'
retone a picture|--retone both.png
retone a text|--retone text.exr
retone cut short|--retone cut.exr
retone missing|--retone nowhere.exr
retone another colour|--retone angle.exr --colour-by speed
retone with points|--retone kept.exr --points 100
retone with a figure|--retone kept.exr --figure lozi
retone with a size|--retone kept.exr --size 80x60
continue without points|--continue kept.exr
continue with passes|--continue kept.exr --passes 3
continue a picture|--continue both.png --points 100
continue cut short|--continue cut.exr --points 100
continue too far|--continue kept.exr --points 1e15
retone and continue|--retone kept.exr --continue kept.exr --points 100
save a classic picture|--figure henon --points 100 --save-counts out.exr
save a video|--figure henon --style density --points 100 --save-counts out.exr --video out.mp4
save with stats|--figure henon --style density --stats --save-counts out.exr
TABLE
[[ -e out.exr ]] && fail "a refused --save-counts wrote its counts"

cli_finish "quillon-render counts files"
