#!/usr/bin/env bash
# Replays as a user meets them: a picture of version 2.1 and pictures with a
# view of their own make the same bytes again; a hand-edited or damaged
# picture text or video tag is refused with one line naming the bad value,
# status 2 and no file.
#
#   replay_test.sh path/to/quillon-render path/to/png-text path/to/an/old/picture.png
source "$(dirname "${BASH_SOURCE[0]}")/cli_lib.sh"
cli_init replay_test.sh "$@"
pngtext=$(realpath "${2:?the png-text tool}")
old=$(realpath "${3:?a picture of version 2.1}")

# --- the same bytes again ---
"$render" --replay "$old" -o old.png -q > /dev/null || fail "the 2.1 picture does not replay"
cmp -s old.png "$old" || fail "the 2.1 picture replays to other bytes"
"$render" --figure Henon --style density --size 96x72 --zoom 6 --center 0.6,0.19 --points 2e6 -o view.png -q \
    > /dev/null || fail "a view"
"$render" --replay view.png -o view-again.png -q > /dev/null || fail "a view's replay"
cmp -s view.png view-again.png || fail "a view replays to other bytes"
"$render" --figure Tetras --size 96x72 --fit --points 2e5 -o fit.png -q > /dev/null || fail "a fitted classic picture"
"$render" --replay fit.png -o fit-again.png -q > /dev/null || fail "a fitted picture's replay"
cmp -s fit.png fit-again.png || fail "a fitted picture replays to other bytes"

# --- a palette file: the picture carries it, and replays without it ---
printf '# dusk\n0 #0b1030\n0.4 180 40 90\n1 #ffe8c0\n' > dusk.txt
cat > glow.ggr <<'GGR'
GIMP Gradient
Name: Glow
2
0.000000 0.300000 0.500000 0.000000 0.000000 0.200000 1.000000 1.000000 0.000000 0.000000 1.000000 2 1
0.500000 0.500000 1.000000 1.000000 0.000000 0.000000 1.000000 1.000000 1.000000 0.600000 1.000000 3 0 0 0
GGR
for file in dusk.txt glow.ggr; do
    "$render" --figure Henon --style density --size 64x48 --points 1e5 --palette "$file" -o "$file.png" -q \
        > /dev/null || { fail "a picture with $file"; continue; }
    grep -aq 'quillon:palette-definition' "$file.png" || fail "$file: the picture lacks its palette's definition"
    mv "$file" "$file.away"
    "$render" --replay "$file.png" -o "$file-again.png" -q > /dev/null || fail "$file: the replay without the file"
    cmp -s "$file.png" "$file-again.png" || fail "$file: the replay without the file makes other bytes"
    mv "$file.away" "$file"
done
"$render" --replay dusk.txt.png --palette viridis -o viridis.png -q > /dev/null || fail "a palette file's picture anew"
grep -aq 'quillon:palette-definition' viridis.png && fail "a built-in palette over a file's keeps the definition"

# --- a bad palette file: status 2, one line naming the file and its line, no picture ---
printf '0 #000000\n0.5 #12\n1 #ffffff\n' > bad-stops.txt
printf 'GIMP Gradient\nName: x\n1\n0 0.5 1 0 0 0 1 1 1 1 1 7 0\n' > bad-blend.ggr
head -c 2000000 /dev/zero | tr '\0' '#' > huge.txt
while IFS='|' read -r file word; do
    rm -f out.png .out.png.partial-*
    "$render" --figure Henon --style density --size 64x48 --points 1e5 --palette "$file" -o out.png -q 2> err.txt
    status=$?
    [[ $status -eq 2 ]] || fail "$file: status $status, not 2"
    [[ $(wc -l < err.txt) -eq 1 ]] || fail "$file: stderr is not one line: $(cat err.txt)"
    grep -q -- "$file" err.txt || fail "$file: the message does not name the file: $(cat err.txt)"
    grep -q -- "$word" err.txt || fail "$file: the message does not say $word: $(cat err.txt)"
    compgen -G 'out.png' > /dev/null && fail "$file: left out.png"
    compgen -G '.out.png.partial-*' > /dev/null && fail "$file: left a partial file"
done <<'TABLE'
bad-stops.txt|:2: "#12" is not a colour
bad-blend.ggr|:4: the blending "7" is unknown
huge.txt|larger than 1 MiB
no-such.ggr|cannot be read
TABLE

# --- damaged text: status 2, one line naming the value, no picture ---
"$render" --figure BIFURCATION --size 64x48 --points 1e4 -o bif.png -q > /dev/null || fail "bifurcation"
"$render" --figure Henon --style density --size 64x48 --points 1e5 -o den.png -q > /dev/null || fail "density"
while IFS='|' read -r name picture word edits; do
    [[ -z $name ]] && continue
    rm -f out.png .out.png.partial-*
    # shellcheck disable=SC2086  # the edits are words
    "$pngtext" "$picture" bad.png $edits || { fail "$name: could not edit"; continue; }
    timeout 60 "$render" --replay bad.png -o out.png -q 2> err.txt
    status=$?
    [[ $status -eq 2 ]] || fail "$name: status $status, not 2"
    [[ $(wc -l < err.txt) -eq 1 ]] || fail "$name: stderr is not one line: $(cat err.txt)"
    grep -q -- "$word" err.txt || fail "$name: the message does not name $word: $(cat err.txt)"
    compgen -G 'out.png' > /dev/null && fail "$name: left out.png"
    compgen -G '.out.png.partial-*' > /dev/null && fail "$name: left a partial file"
done <<'TABLE'
bifurcation with passes|bif.png|passes|quillon:passes=3
bifurcation start|bif.png|start|quillon:param:start=5
points beyond reason|den.png|points|quillon:points=1e300
points not whole|den.png|points|quillon:points=12.5
passes beyond reason|den.png|passes|-quillon:points quillon:passes=1e14
negative seed|den.png|seed|quillon:seed=-5
seed too large|den.png|seed|quillon:seed=99999999
unknown plan|den.png|plan|quillon:plan=7
plan zero|den.png|plan|quillon:plan=0
zoom zero|view.png|zoom|quillon:zoom=0
zoom not a number|view.png|zoom|quillon:zoom=near
zoom without a centre|den.png|center|quillon:zoom=2
centre of one number|view.png|center|quillon:center=0.5
centre beyond a Double|view.png|center|quillon:center=1e308,1e308 quillon:zoom=1e9
empty frame|den.png|frame|quillon:frame=0x0
huge size|den.png|size|quillon:size=1000001x10
size not a size|den.png|size|quillon:size=big
depth|den.png|depth|quillon:depth=12
supersampling|den.png|aa|quillon:aa=9
tone|den.png|tone|quillon:tone=loud
palette|den.png|palette|quillon:palette=plaid
palette definition|dusk.txt.png|palette-definition|quillon:palette-definition=0;1
palette definition empty|dusk.txt.png|palette-definition|quillon:palette-definition=
background|den.png|background|quillon:background=glow
parameter not a number|den.png|abc|quillon:param:a=abc
parameter infinite|den.png|inf|quillon:param:a=inf
unknown figure|den.png|figure|quillon:figure=Nothing
no figure|den.png|figure|-quillon:figure
style|den.png|style|quillon:style=oil
source|den.png|source|quillon:source=dream
no frame|den.png|frame|-quillon:frame
TABLE

# --- a damaged video tag: the same ---
if command -v ffmpeg > /dev/null; then
    "$render" --figure Henon --size 64x48 --points 1e4 --seconds 1 --fps 4 --video v.mp4 -q > /dev/null ||
        fail "a video"
    comment=$(ffprobe -v error -show_entries format_tags=comment -of default=nw=1:nk=1 v.mp4)
    while IFS='|' read -r name word from to; do
        [[ -z $name ]] && continue
        rm -f again.mp4 .again.mp4.*
        ffmpeg -v error -y -i v.mp4 -c copy -metadata comment="${comment/"$from"/"$to"}" bad.mp4 ||
            { fail "$name: could not edit"; continue; }
        timeout 60 "$render" --replay bad.mp4 --video again.mp4 -q 2> err.txt
        status=$?
        [[ $status -eq 2 ]] || fail "video $name: status $status, not 2"
        [[ $(wc -l < err.txt) -eq 1 ]] || fail "video $name: stderr is not one line: $(cat err.txt)"
        grep -q -- "$word" err.txt || fail "video $name: the message does not name $word: $(cat err.txt)"
        compgen -G 'again.mp4' > /dev/null && fail "video $name: left a video"
    done <<'TABLE'
rate beyond reason|fps|quillon:fps=4|quillon:fps=1e9
no length|seconds|quillon:seconds=1|quillon:seconds=none
points beyond reason|points|quillon:points=10000|quillon:points=1e300
TABLE
fi

cli_finish "replays"
