#!/usr/bin/env bash
# Makes the fuzz targets' seed corpus (fuzz/corpus/) from what quillon-render
# writes: small pictures, their captions and text, counts files, and command
# lines that work. Run after a build: bash fuzz/make-seeds.sh build/quillon-render
set -euo pipefail
render=$(realpath "${1:-build/quillon-render}")
cd "$(dirname "${BASH_SOURCE[0]}")"
corpus=$PWD/corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The text of a PNG's iTXt chunks as key=value lines, as a video's tag holds them.
text_of() {
    python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()[8:]
while data:
    n, kind = struct.unpack('>I4s', data[:8])
    body = data[8:8 + n]
    if kind == b'iTXt':
        key, rest = body.split(b'\0', 1)
        text = rest[2:].split(b'\0', 2)[2]
        sys.stdout.buffer.write(key + b'=' + text + b'\n')
    data = data[12 + n:]
PY
}

k=0
while read -r line; do
    k=$((k + 1))
    eval "args=($line)"
    "$render" -q "${args[@]}" -o "seed$k.png" >/dev/null
    "$render" -q "${args[@]}" -o "caption$k.png" >"caption$k.txt" 2>/dev/null || true
    caption=$(text_of "seed$k.png" | sed -n 's/^quillon:caption=//p')
    printf '%s' "$caption" >"$corpus/caption/seed$k"
    printf '%s\n' "$caption" >>captions.txt
    text_of "seed$k.png" >"$corpus/picture_text/seed$k"
    printf 'quillon:seconds=2\nquillon:fps=15\nquillon:title=no\n' | cat "$corpus/picture_text/seed$k" - >"$corpus/video_tag/seed$k"
    cp "seed$k.png" "$corpus/png_file/seed$k.png"
    printf '%s\n' "${args[@]}" >"$corpus/command_line/seed$k"
done <<'LIST'
--figure henon --size 24x16 --points 3000
--figure hopalong --param a=0.4 --size 16x16 --points 2000 --style density --palette ocean
--random 77 --size 20x14 --points 2000 --style density --tone flame --colour-by speed
--figure lozi --size 16x12 --points 1500 --background white
LIST
for n in 1 2 3; do
    { printf "\\$(printf '%03o' $((n == 1 ? 0 : (n == 2 ? 1 : 68))))"; printf '\n%s\n\n' "$(cat captions.txt)"; } >"$corpus/caption_file/seed$n"
done
"$render" -q --figure henon --size 8x6 --points 1000 --style density --save-counts "$corpus/counts_file/henon.exr" >/dev/null
"$render" -q --figure hopalong --size 6x6 --points 800 --style density --colour-by speed --save-counts "$corpus/counts_file/speed.exr" >/dev/null
"$render" -q --random 5 --size 6x4 --points 800 --style density --colour-by map --save-counts "$corpus/counts_file/map.exr" >/dev/null
printf '%s\n' --figure henon --points 1e300 >"$corpus/command_line/points"
printf '%s\n' --caption "$(head -1 captions.txt)" --video a.mp4 --size 64x48 --seconds 2 >"$corpus/command_line/video"
printf '\x00-1.25e3' >"$corpus/prompt_number/point"
printf '\x01 3,5 ' >"$corpus/prompt_number/comma"
printf '\x02\xd9\xab5e-7' >"$corpus/prompt_number/arabic"
