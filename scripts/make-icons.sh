#!/usr/bin/env bash
# Makes the program's icon from one of its own figures: a density picture of the
# Lorenz orbit (XZ) by quillon-render, trimmed to the butterfly and set on a dark
# rounded square, as PNGs of every size the desktop asks for, and as an SVG
# traced from the same picture (two layers of tone, so that it reads at 16 px).
# QUILLON Studio's icon is Hopalong's density picture coloured by the orbit's
# direction, on the same plate. The results are committed in packaging/icons;
# run this again to remake them.
#
#   scripts/make-icons.sh [path/to/quillon-render]
# Needs ImageMagick and potrace (scripts/setup.sh installs them).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
render=${1:-build/quillon-render}
out=packaging/icons
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

"$render" --figure "Lorenz Orbits (XZ)" --style density --frame 800x800 --size 1024x1024 \
    --points 2e8 --palette ember -q -o "$work/figure.png"
# The butterfly alone, square, with a margin.
convert "$work/figure.png" -trim +repage -resize 860x860 -background black -gravity center \
    -extent 1024x1024 "$work/butterfly.png"
convert -size 1024x1024 xc:none -fill '#140d10' -draw 'roundrectangle 0,0 1023,1023 180,180' \
    "$work/plate.png"
convert "$work/plate.png" \( "$work/butterfly.png" -alpha set -channel A -fx 'max(r,max(g,b))' \) \
    -compose over -composite "$work/icon-1024.png"

for size in 16 32 48 64 128 256; do
    convert "$work/icon-1024.png" -filter Lanczos -resize "${size}x${size}" -strip \
        "PNG32:$out/org.quillon.Quillon-$size.png"
done

# The studio's: Hopalong whole, coloured by direction, on the same plate.
"$render" --figure Hopalong --style density --size 1024x1024 --fit --points 1e8 --colour-by angle \
    --exposure 1 -q -o "$work/hopalong.png"
convert "$work/hopalong.png" -trim +repage -resize 900x900 -background black -gravity center \
    -extent 1024x1024 "$work/hopalong-square.png"
convert "$work/plate.png" \( "$work/hopalong-square.png" -alpha set -channel A -fx 'min(1,3*max(r,max(g,b)))' \) \
    -compose over -composite "$work/studio-1024.png"
for size in 16 32 48 64 128 256; do
    convert "$work/studio-1024.png" -filter Lanczos -resize "${size}x${size}" -strip \
        "PNG32:$out/org.quillon.Studio-$size.png"
done

# The SVG: the butterfly's outline and its bright core, traced.
trace() {  # threshold (percent), colour, output
    convert "$work/butterfly.png" -colorspace gray -threshold "$1%" -negate "$work/layer.pbm"
    potrace "$work/layer.pbm" --svg --flat --turdsize 40 --alphamax 1.2 --color "$2" -o "$3"
}
trace 6 '#b3400a' "$work/outer.svg"
trace 45 '#ffc24a' "$work/core.svg"
paths() { sed -n '/<path/,/\/>/p' "$1" | tr '\n' ' ' | sed 's/<path/\n<path/g' | grep '<path'; }
transform=$(grep -o 'transform="[^"]*"' "$work/outer.svg" | head -1)
{
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo '<svg xmlns="http://www.w3.org/2000/svg" width="1024" height="1024" viewBox="0 0 1024 1024">'
    echo '  <title>QUILLON: the Lorenz orbit</title>'
    echo '  <rect width="1024" height="1024" rx="180" fill="#140d10"/>'
    echo "  <g $transform fill=\"#b3400a\">"
    paths "$work/outer.svg"
    echo '  </g>'
    echo "  <g $transform fill=\"#ffc24a\">"
    paths "$work/core.svg"
    echo '  </g>'
    echo '</svg>'
} > "$out/org.quillon.Quillon.svg"
echo "icons written to $out"
