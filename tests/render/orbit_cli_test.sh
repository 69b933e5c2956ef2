#!/usr/bin/env bash
# quillon-render's orbit modes as a user runs them: --stats lines and JSON,
# --interesting that a seed makes again, --search writing pictures, captions
# and a contact sheet whose links resolve, the threads not changing what is
# found, and bad input refused with one line and status 2 or nothing found 3.
#
#   orbit_cli_test.sh path/to/quillon-render
source "$(dirname "${BASH_SOURCE[0]}")/cli_lib.sh"
cli_init orbit_cli_test.sh "$@"
quick=(--steps 1e5 --points 1e4 -q)

# --- refused: status 2, one line on stderr, no file ---
expect_refusals <<'TABLE'
interesting without random|--figure henon --interesting
interesting and search|--random 1 --interesting --search 2
search of none|--search 0
search not a number|--search many
search of a caption|--search 2 --caption Henon
search of an unknown figure|--search 2 --figure nosuch
survey with parameters|--survey 2 --figure henon --param a=1
lit above the frame|--random 1 --interesting --min-lit 2
exponent not a number|--random 1 --interesting --min-exponent big
no draws|--random 1 --interesting --max-draws 0
threshold without a search|--figure henon --stats --min-lit 0.1
too few steps|--figure henon --stats --steps 10
stats of the bifurcation diagram|--figure bifurcation --stats
stats of an unknown parameter|--figure henon --param q=1 --stats
TABLE
"$render" --search 2 --figure henon -o nowhere/out.png -q 2> err.txt
[[ $? -eq 2 && $(wc -l < err.txt) -eq 1 ]] && grep -q nowhere err.txt || fail "search into no folder: $(cat err.txt)"
[[ -e nowhere ]] && fail "search into no folder: made it"

# --- --stats: one name: value line each, the same as JSON ---
"$render" --figure henon --param a=3 --stats > esc.txt || fail "--stats of an escaping orbit"
grep -qx 'outcome: escaped' esc.txt || fail "Henon a=3 is not escaped: $(cat esc.txt)"
grep -qx 'escape_step: 5' esc.txt || fail "Henon a=3 does not escape at step 5"
grep -q '^exponent_1:' esc.txt && fail "an escaped orbit has an exponent"
"$render" --figure henon --param a=1 --stats --json "${quick[@]}" > per.json || fail "--json"
[[ $(wc -l < per.json) -eq 1 ]] || fail "--json is not one line"
grep -q '"outcome": "periodic", "period": 4, "escape_step": null' per.json || fail "Henon a=1: $(cat per.json)"

# --- --interesting: the same seed keeps the same figure, and its own seed makes it again ---
"$render" --random 5 --interesting "${quick[@]}" -o first.png > first.txt 2> /dev/null || fail "--interesting"
"$render" --random 5 --interesting "${quick[@]}" -o second.png > second.txt 2> /dev/null
cmp -s first.txt second.txt || fail "--interesting kept two figures from one seed"
cmp -s first.png second.png || fail "--interesting drew two pictures from one seed"
caption=$(sed -n 's/^caption: //p' first.txt)
seed=$(sed -n 's/^seed: //p' first.txt)
again=$("$render" --random "$seed" --points 1e4 -o again.png -q 2> /dev/null)
[[ -n $caption && $again == "$caption" ]] || fail "--random $seed draws \"$again\", not \"$caption\""
"$render" --random 1 --figure henon --interesting --min-exponent 5 --max-draws 3 "${quick[@]}" -o none.png \
    > /dev/null 2> err.txt
[[ $? -eq 3 ]] || fail "nothing interesting: status not 3"
[[ $(wc -l < err.txt) -eq 1 && ! -e none.png ]] || fail "nothing interesting: not one line, or a picture"

# --- --search: pictures, captions and a contact sheet whose links resolve ---
for threads in 1 2; do
    mkdir "sheet-$threads"
    "$render" --search 3 --random 11 -j "$threads" "${quick[@]}" -o "sheet-$threads/pic.png" \
        > "found-$threads.txt" 2> /dev/null || fail "--search with $threads threads"
    sed -i "s|^sheet-$threads/||" "found-$threads.txt"
done
cmp -s found-1.txt found-2.txt || fail "--search found other figures with 2 threads"
cd sheet-1 || exit 1
[[ $(compgen -G 'pic-00[123].png' | wc -l) -eq 3 && ! -e pic-004.png ]] || fail "--search 3 did not write 3 pictures"
for k in 1 2 3; do
    "$render" --from "pic-00$k.txt" --points 1e4 -o check.png -q > /dev/null || fail "pic-00$k.txt is no caption file"
done
links=$(grep -o '\(href\|src\)="[^"]*"' index.html | sed 's/^[a-z]*="//; s/"$//' | sort -u)
[[ $(wc -l <<< "$links") -eq 3 ]] || fail "the contact sheet does not link three pictures: $links"
while read -r link; do
    [[ -f $link ]] || fail "the contact sheet's link $link does not resolve"
done <<< "$links"
cd ..

cli_finish "quillon-render orbit modes"
