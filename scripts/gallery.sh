#!/usr/bin/env bash
# Renders the gallery shown in README.md into docs/gallery/, one picture a
# line of the table below, and an animated preview of a video; prints the
# README's grid of them.
#
#   scripts/gallery.sh [path/to/quillon-render]     (make gallery runs it)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
render=${1:-build/quillon-render}
out=docs/gallery
mkdir -p "$out"

# Fails the gallery when a file is over its size in kB.
at_most() {
    local size
    size=$(stat -c %s "$1")
    if ((size > $2 * 1024)); then
        echo "gallery: $1 is $((size / 1024)) kB, over $2 kB" >&2
        exit 1
    fi
}

# name | arguments (the output file is added)
gallery=(
    "henon|--figure Henon --style density --size 800x600 --frame 600x450 --points 3e8 --palette ember"
    "lozi|--figure Lozi --size 800x600 --frame 900x675 --points 2e6"
    "hopalong-2|--figure Hopalong-2 --style density --size 800x600 --points 2e8 --tone eq --palette violet"
    "martin|--figure Martin --size 800x600 --points 3e6"
    "mira|--figure Mira --style density --size 800x600 --points 2e8 --palette ocean"
    "gingerbread|--figure GingerBread --style density --size 800x600 --points 1e8 --palette grey --tone eq"
    "starburst|--figure Starburst --style density --size 640x480 --frame 5200x3900 --points 1e8 --palette passes"
    "eqn-8a|--figure \"Eqn 8A\" --size 800x600 --points 3e6"
    "crown|--figure Crown --style density --size 800x600 --points 1e8 --palette ember --tone eq"
    "comet|--figure Comet --size 800x600 --points 1e6"
    "diamond|--figure Diamond --style density --size 640x480 --points 5e7 --palette ocean"
    "dust|--figure Dust --style density --size 800x600 --points 5e7 --palette violet"
    "scorpion|--figure Scorpion --style density --aa 2 --size 800x600 --points 5e7 --palette ember"
    "tree|--figure Tree --size 800x600 --points 2e6"
    "lorenz-xz|--figure \"Lorenz Orbits (XZ)\" --style density --aa 2 --size 800x600 --points 2e8 --palette ember"
    "bifurcation|--figure BIFURCATION --param start=2.9 --style density --size 800x600 --points 2e8 --palette ocean"
    # The tone: the log tone, then the flame renderers' tone and controls.
    "crown-log|--figure Crown --style density --size 800x600 --points 2e8 --palette ember"
    "crown-flame|--figure Crown --style density --size 800x600 --points 2e8 --palette ember --tone flame"
    # Colour by the orbit.
    "sierpi-map|--figure Sierpi --style density --colour-by map --palette plasma --size 800x600 --points 1e8"
    "tree-map|--figure Tree --style density --colour-by map --fit --size 800x600 --points 1e8"
    "scorpion-map|--figure Scorpion --style density --colour-by map --palette sunset --fit --aa 2 --size 800x600 --points 5e7"
    "henon-angle|--figure Henon --style density --colour-by angle --fit --size 800x600 --points 3e8"
    "mira-angle|--figure Mira --style density --colour-by angle --palette neon --size 800x600 --points 2e8"
    "lorenz-speed|--figure \"Lorenz Orbits (XZ)\" --style density --colour-by speed --palette plasma --aa 2 --size 800x600 --points 2e8"
    "hopalong-speed|--figure Hopalong-2 --style density --colour-by speed --size 800x600 --points 2e8"
)

echo "| | | |"
echo "|---|---|---|"
row=()
for entry in "${gallery[@]}"; do
    name=${entry%%|*}
    args=${entry#*|}
    eval "\"$render\" $args -o \"$out/$name.png\" -q" > /dev/null
    at_most "$out/$name.png" 400
    row+=("![$name]($out/$name.png)<br>\`quillon-render $args -o $name.png\`")
    if ((${#row[@]} == 3)); then
        echo "| ${row[0]} | ${row[1]} | ${row[2]} |"
        row=()
    fi
done
if ((${#row[@]} > 0)); then
    while ((${#row[@]} < 3)); do row+=(" "); done
    echo "| ${row[0]} | ${row[1]} | ${row[2]} |"
fi

# The animated preview: a video of a figure growing, made a GIF by ffmpeg. The
# classic picture has the sixteen colours of the window, and the title's greys.
video_args='--figure "Lorenz Orbits (XY)" --size 480x360 --points 3e5 --seconds 8 --fps 15 --title'
to_gif='split[a][b];[a]palettegen=max_colors=32:stats_mode=diff[p];[b][p]paletteuse=dither=none:diff_mode=rectangle'
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
eval "\"$render\" $video_args --video \"$scratch/lorenz-growing.mp4\" -q" > /dev/null
ffmpeg -nostdin -v error -y -i "$scratch/lorenz-growing.mp4" -vf "$to_gif" -loop 0 "$out/lorenz-growing.gif"
at_most "$out/lorenz-growing.gif" 2048
echo
echo "![lorenz-growing]($out/lorenz-growing.gif)<br>\`quillon-render $video_args --video lorenz-growing.mp4\`," \
    "then \`ffmpeg -i lorenz-growing.mp4 -vf \"$to_gif\" -loop 0 lorenz-growing.gif\`"

# Videos that move, previewed as animated WebP: a flight into Henon's folds and
# a morph of its a, through periodic windows into chaos.
moving=(
    "henon-dive|--figure Henon --style density --colour-by angle --tone flame --size 480x270 --points 2e7 --zoom-to 0.63,0.19,300 --ease --seconds 6 --fps 12"
    "henon-morph|--figure Henon --style density --colour-by speed --tone flame --size 480x270 --points 2e6 --morph a=1.05:1.4 --fit --seconds 6 --fps 12"
)
for entry in "${moving[@]}"; do
    name=${entry%%|*}
    args=${entry#*|}
    eval "\"$render\" $args --video \"$scratch/$name.mp4\" -q" > /dev/null
    ffmpeg -nostdin -v error -y -i "$scratch/$name.mp4" -c:v libwebp -q:v 70 -loop 0 "$out/$name.webp"
    at_most "$out/$name.webp" 2048
    echo
    echo "![$name]($out/$name.webp)<br>\`quillon-render $args --video $name.mp4\`," \
        "then \`ffmpeg -i $name.mp4 -c:v libwebp -q:v 70 -loop 0 $name.webp\`"
done

# A print's detail: an A0 poster at 300 dpi (9933x14043), an 800x600 part of it
# at 100 %: the strands of a fold that a screen shows as one line.
poster_args='--figure Henon --style density --size 9933x14043 --fit --points 2e9 --palette magma'
eval "\"$render\" $poster_args -o \"$scratch/poster.png\" -q" > /dev/null
crop='crop=800:600:8700:6450'
ffmpeg -nostdin -v error -y -i "$scratch/poster.png" -vf "$crop" "$out/henon-a0-crop.png"
echo
echo "![henon-a0-crop]($out/henon-a0-crop.png)<br>\`quillon-render $poster_args -o poster.png\`," \
    "then \`ffmpeg -i poster.png -vf $crop henon-a0-crop.png\` (an A0 print at 300 dpi, a part at 100 %)"
