#!/usr/bin/env bash
# The quillon-render command as a user runs it: bad input is refused with one
# line and status 2 and leaves no file; a run that fails while drawing or
# writing tells why with status 1 and leaves no file; a figure that draws
# nothing warns and gives status 3; a replay makes the same bytes; density
# pictures do not depend on the threads; caption files and random draws.
#
#   cli_test.sh path/to/quillon-render
source "$(dirname "${BASH_SOURCE[0]}")/cli_lib.sh"
cli_init cli_test.sh "$@"

# --- refused: status 2, one line on stderr, no picture (nor a partial one) ---
printf '\r\nHenon      a = 1.4   b = 0.3\r\n\r\n' > captions.txt
convert -size 8x8 xc:black plain.png 2>/dev/null || printf 'not a png' > plain.png
expect_refusals <<'TABLE'
unknown figure|--figure nosuch
unknown parameter|--figure henon --param c=1
repeated parameter|--figure henon --param a=1.3 --param a=1.4
not a number|--figure henon --param a=1.4x
not a caption|--caption Nothing
study caption|--caption 3N+1
zero points|--figure henon --points 0
negative points|--figure henon --points -10
points not a number|--figure henon --points many
scale and size|--figure henon --scale 2 --size 800x600
too large a side|--figure henon --size 70000x100
too large for a png|--figure henon --style density --size 1000001x10
too much memory even in bands|--figure henon --style density --size 40000x40000 --memory 64M
bad size|--figure henon --size 800by600
bad tone|--figure henon --style density --tone loud
bad palette|--figure henon --style density --palette plaid
bad depth|--figure henon --style density --depth 12
two sources|--figure henon --caption Henon
no source|--points 100
line beyond the file|--from captions.txt --line 9
empty line|--from captions.txt --line 1
missing file|--from nowhere.txt
png without our text|--replay plain.png
not a png|--replay captions.txt
bad seed|--random 99999999
unknown option|--figure henon --colour red
TABLE

rm -f out.png
"$render" --figure henon -o "$work/no/such/folder/out.png" -q 2> err.txt
[[ $? -eq 2 ]] || fail "unwritable output: status not 2"
[[ -e no ]] && fail "unwritable output: made a folder"

# --- failing while working: status 1, one line, no picture (nor a partial one) ---
while IFS='|' read -r name limit words args; do
    [[ -z $name ]] && continue
    if ! (ulimit $limit && "$render" --version) > /dev/null 2>&1; then
        echo "skipped \"$name\": this build does not run under ulimit $limit" >&2
        continue
    fi
    rm -f out.png .out.png.partial-*
    # shellcheck disable=SC2086  # the table's limits and arguments are words
    (ulimit $limit && exec "$render" $args -o out.png -q) 2> err.txt
    status=$?
    [[ $status -eq 1 ]] || fail "$name: status $status, not 1"
    [[ $(wc -l < err.txt) -eq 1 ]] && grep -q "$words" err.txt || fail "$name: not told in one line: $(cat err.txt)"
    compgen -G 'out.png' > /dev/null && fail "$name: left out.png"
    compgen -G '.out.png.partial-*' > /dev/null && fail "$name: left a partial file"
done <<'TABLE'
the disk fills|-f 16|File too large|--figure scorpion --style density --size 640x480 --points 1e6 --palette passes
out of memory|-v 400000|out of memory|--figure henon --style density --size 12000x12000 --points 1000 -j 1
TABLE

# --- nothing inside the frame: the picture is written, a warning, status 3 ---
"$render" --figure gingerbread --param x=1e6 --param y=0 --points 1000 -o empty.png -q 2> err.txt
status=$?
[[ $status -eq 3 ]] || fail "nothing drawn: status $status, not 3"
grep -q warning err.txt || fail "nothing drawn: no warning"
[[ -s empty.png ]] || fail "nothing drawn: no picture"

# --- replay makes the same bytes; threads do not change a density picture ---
"$render" --figure "hopalong-2" --points 200000 -o classic.png -q > /dev/null || fail "classic render"
"$render" --replay classic.png -o replayed.png -q > /dev/null || fail "classic replay"
cmp -s classic.png replayed.png || fail "classic replay differs"
for threads in 1 2 3; do
    "$render" --figure scorpion --style density --aa 2 --points 3000000 --palette passes --tone eq \
        -j "$threads" -o "density-$threads.png" -q > /dev/null || fail "density with $threads threads"
done
cmp -s density-1.png density-2.png || fail "density differs with 2 threads"
cmp -s density-1.png density-3.png || fail "density differs with 3 threads"
"$render" --replay density-2.png -j 1 -o density-replayed.png -q > /dev/null || fail "density replay"
cmp -s density-1.png density-replayed.png || fail "density replay differs"

# --- a picture larger than the memory allowed is made in bands: the same bytes ---
"$render" --figure henon --style density --tone eq --size 2000x1500 --aa 2 -j 1 --points 300000 \
    -o whole.png -q > /dev/null || fail "whole poster"
"$render" --figure henon --style density --tone eq --size 2000x1500 --aa 2 -j 1 --points 300000 \
    --memory 80M -o banded.png > /dev/null 2> bands.txt || fail "banded poster: $(cat bands.txt)"
grep -q "density, [0-9]* bands" bands.txt || fail "the banded poster's progress does not tell its bands"
cmp -s whole.png banded.png || fail "the banded poster differs from the whole one"
compgen -G '.quillon-bands-*' > /dev/null && fail "the bands' scratch file was left"
# wider than a classic picture may be: a density picture is as large as a PNG holds
"$render" --figure henon --style density --size 70000x6 --points 100000 -o wide.png -q > /dev/null ||
    fail "a density picture 70000 pixels wide"
# The header's width, big-endian at byte 16 (ImageMagick's own limits refuse such a picture).
read -r b0 b1 b2 b3 < <(od -An -tu1 -j16 -N4 wide.png)
(( (b0 << 24 | b1 << 16 | b2 << 8 | b3) == 70000 )) || fail "the wide picture is not 70000 pixels wide"

# --- a caption file, and random draws kept by their caption ---
printf '\r\nLozi      a = 1.7   b = 0.5\r\n\r\n' >> captions.txt
"$render" --from captions.txt --all --points 10000 -o kept.png -q > list.txt || fail "--all"
[[ -s kept-001.png && -s kept-002.png && ! -e kept-003.png ]] || fail "--all did not write two numbered files"
[[ $(wc -l < list.txt) -eq 2 ]] || fail "--all did not print two captions"
caption=$("$render" --random 4321 --figure henon --points 10000 -o random.png -q 2> seed.txt)
grep -q "4321" seed.txt || fail "--random did not tell its seed"
"$render" --caption "$caption" --points 10000 -o from-caption.png -q > /dev/null ||
    fail "the printed caption does not render: $caption"

cli_finish "quillon-render"
