#!/usr/bin/env bash
# quillon-render --video as a user runs it: what ffprobe finds in the file, the
# last frame against the classic picture of the same points, a replay that
# decodes to the same frames, WebM, the title, the refusals (status 2) and the
# failures while encoding (status 1, ffmpeg's own words told), neither leaving
# a file behind.
#
#   video_test.sh path/to/quillon-render
set -uo pipefail
render=$(realpath "${1:?usage: video_test.sh path/to/quillon-render}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT; [[ -n ${KEEP:-} ]] && trap - EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

probe() {  # file entries: one value a line
    ffprobe -v error -count_frames -select_streams v:0 -show_entries "$2" \
        -of default=noprint_wrappers=1:nokey=1 "$1"
}
last_frame() { ffmpeg -nostdin -v error -y -i "$1" -update 1 "$2"; }
frame_sums() { ffmpeg -nostdin -v error -i "$1" -f framemd5 - | grep -v '^#'; }

mae() { compare -metric MAE "$1" "$2" null: 2>&1 | sed -E 's/.*\((.*)\)/\1/'; }
# How far a decoded frame is from a picture, as a share of how far black is
# from it. Both are halved first: the video keeps colour at half size, which
# blurs single-pixel points, but a 2x2 block's average colour survives.
frame_error() {  # picture frame
    convert "$1" -filter box -resize 50% half-picture.png
    convert "$2" -filter box -resize 50% half-frame.png
    convert half-picture.png -fill black -colorize 100 half-black.png
    awk -v e="$(mae half-picture.png half-frame.png)" -v b="$(mae half-picture.png half-black.png)" \
        'BEGIN { printf "%.3f\n", (b > 0 ? e / b : 1) }'
}
tolerance=0.4  # the right frame stays near 0.3 at worst (Henon); a quarter fewer points is above 0.5

# --- one figure of each kind: what the file holds, and its last frame ---
points=200000
while IFS='|' read -r name figure; do
    [[ -z $name ]] && continue
    "$render" --figure "$figure" --size 320x240 --points $points --seconds 2 --video "$name.mp4" -q > /dev/null ||
        { fail "$name: no video"; continue; }
    [[ $(probe "$name.mp4" stream=codec_name,width,height,pix_fmt,nb_read_frames | paste -sd ' ') == \
        "h264 320 240 yuv420p 60" ]] ||
        fail "$name: $(probe "$name.mp4" stream=codec_name,width,height,pix_fmt,nb_read_frames | paste -sd ' ')"
    comment=$(probe "$name.mp4" format_tags=comment)
    for line in "quillon:figure=$figure" "quillon:points=$points" "quillon:style=classic" \
        "quillon:seconds=2" "quillon:fps=30" "quillon:size=320x240"; do
        grep -qxF "$line" <<< "$comment" || fail "$name: the comment lacks $line"
    done
    last_frame "$name.mp4" "$name-last.png"
    "$render" --figure "$figure" --size 320x240 --points $points --style classic -o "$name.png" -q > /dev/null
    "$render" --figure "$figure" --size 320x240 --points $((points * 3 / 4)) -o "$name-fewer.png" -q > /dev/null
    error=$(frame_error "$name.png" "$name-last.png")
    awk -v e="$error" -v t=$tolerance 'BEGIN { exit !(e != "" && e < t) }' ||
        fail "$name: the last frame is $error away from the classic picture"
    error=$(frame_error "$name-fewer.png" "$name-last.png")
    awk -v e="$error" -v t=$tolerance 'BEGIN { exit !(e != "" && e >= t) }' ||
        fail "$name: the last frame passes for a picture of fewer points ($error)"
done <<'TABLE'
henon|Henon
sierpi|Sierpi
lorenz|Lorenz Orbits (XY)
TABLE

# --- a replay decodes to the same frames ---
"$render" --replay henon.mp4 --video again.mp4 -q > /dev/null || fail "replay of henon.mp4"
[[ "$(frame_sums henon.mp4)" == "$(frame_sums again.mp4)" ]] || fail "the replayed video's frames differ"

# --- WebM, density with another thread count, and its replay ---
"$render" --figure Henon --style density --size 320x240 --points 2e6 --seconds 2 --fps 15 -j 2 \
    --video density.webm -q > /dev/null || fail "density webm"
[[ $(probe density.webm stream=codec_name,nb_read_frames | paste -sd ' ') == "vp9 30" ]] ||
    fail "density.webm: $(probe density.webm stream=codec_name,nb_read_frames | paste -sd ' ')"
"$render" --replay density.webm -j 1 -q > /dev/null || fail "replay of density.webm"
[[ -s henon.webm && "$(frame_sums density.webm)" == "$(frame_sums henon.webm)" ]] ||
    fail "the replayed webm's frames differ"

# --- videos that move: kept in the comment, replayed to the same frames ---
"$render" --figure Henon --style density --size 160x120 --points 2e5 --seconds 1 --fps 10 --morph a=1.2:1.4 \
    --fit --video morph.mp4 -q > /dev/null || fail "a morph"
"$render" --figure Henon --style density --size 160x120 --points 2e5 --seconds 1 --fps 10 \
    --zoom-to 0.63,0.19,20 --ease --video zoom.mp4 -q > /dev/null || fail "a flight"
probe morph.mp4 format_tags=comment | grep -qx 'quillon:morph=a=1.2:1.4' || fail "the comment lacks the morph"
probe zoom.mp4 format_tags=comment | grep -qx 'quillon:zoom-to=0.63,0.19,20' || fail "the comment lacks the flight"
for name in morph zoom; do
    "$render" --replay $name.mp4 --video $name-again.mp4 -q > /dev/null || fail "replay of $name.mp4"
    [[ "$(frame_sums $name.mp4)" == "$(frame_sums $name-again.mp4)" ]] || fail "the replayed $name's frames differ"
done

# --- the title: kept in the comment, and light at the bottom of the frame ---
"$render" --figure Henon --size 320x240 --points $points --seconds 2 --title --video titled.mp4 -q > /dev/null ||
    fail "--title"
probe titled.mp4 format_tags=comment | grep -qx 'quillon:title=yes' || fail "the comment lacks the title"
last_frame titled.mp4 titled-last.png
bottom() { convert "$1" -gravity south -crop 100%x10%+0+0 +repage -colorspace gray -format '%[fx:mean]' info:; }
awk -v t="$(bottom titled-last.png)" -v u="$(bottom henon-last.png)" 'BEGIN { exit !(t > u + 0.01) }' ||
    fail "no title at the bottom of titled.mp4"

# --- refused before anything is drawn: status 2, one line, no file ---
fake=$work/fake-bin
mkdir -p "$fake"
while IFS='|' read -r name environment args; do
    [[ -z $name ]] && continue
    rm -f out.mp4 out.webm .out.*
    # shellcheck disable=SC2086  # the table's arguments are words
    env $environment "$render" --figure henon --points 1000 $args -q 2> err.txt
    status=$?
    [[ $status -eq 2 ]] || fail "$name: status $status, not 2"
    [[ $(wc -l < err.txt) -eq 1 ]] || fail "$name: stderr is not one line: $(cat err.txt)"
    compgen -G 'out.*' > /dev/null && fail "$name: left a video"
    compgen -G '.out.*' > /dev/null && fail "$name: left a partial file"
done <<TABLE
no ffmpeg|PATH=/nonexistent|--video out.mp4
zero seconds||--video out.mp4 --seconds 0
negative fps||--video out.mp4 --fps -30
seconds not a number||--video out.mp4 --seconds long
odd size||--video out.mp4 --size 321x240
too large||--video out.mp4 --size 9000x4000
not a video name||--video out.avi
unwritable folder||--video $work/no/such/folder/out.mp4
seconds without a video||-o out.png --seconds 2
zoom of 0||--video out.mp4 --zoom-to 0,0,0
zoom past a double||--video out.mp4 --zoom-to 1e999,0,2
morph of no parameter||--video out.mp4 --morph c=1:2
morph not FROM:TO||--video out.mp4 --morph a=1
morph of a random draw||--video out.mp4 --random 3 --morph a=1:2
zoom without a video||-o out.png --zoom-to 0,0,2
ease that does not move||--video out.mp4 --ease
TABLE

# --- ffmpeg failing after it started: its words, status 1, no file ---
printf '#!/bin/sh\necho "fake ffmpeg: no encoder here" >&2\nexit 1\n' > "$fake/ffmpeg"
printf '#!/bin/sh\nhead -c 1000 > /dev/null\necho "fake ffmpeg: had enough" >&2\n' > "$fake/quitter"
chmod +x "$fake/ffmpeg" "$fake/quitter"
while IFS='|' read -r name setup words; do
    [[ -z $name ]] && continue
    rm -f out.mp4 .out.mp4.*
    (eval "$setup"; exec "$render" --figure henon --points 100000 --size 320x240 --video out.mp4 -q) 2> err.txt
    status=$?
    [[ $status -eq 1 ]] || fail "$name: status $status, not 1"
    grep -q "$words" err.txt || fail "$name: ffmpeg's words not told: $(cat err.txt)"
    compgen -G 'out.mp4' > /dev/null && fail "$name: left a video"
    compgen -G '.out.mp4.*' > /dev/null && fail "$name: left a partial file"
done <<TABLE
ffmpeg fails|PATH=$fake:\$PATH|no encoder here
ffmpeg stops reading|ln -sf quitter $fake/ffmpeg; PATH=$fake:\$PATH|had enough
the disk fills|ulimit -f 16|File size limit
TABLE

if ((failures > 0)); then
    echo "$failures failures" >&2
    exit 1
fi
echo "quillon-render --video: every case behaves"
