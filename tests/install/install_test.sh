#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR, as a packager would, and checks
# the tree: the three programs, the desktop entries, the icons, the metainfo
# and the manual pages are where the desktop looks for them, the validators
# accept the desktop entries and the metainfo, and the installed programs run.
#
#   install_test.sh BUILD_DIR VERSION
set -uo pipefail
build=$(realpath "${1:?usage: install_test.sh BUILD_DIR VERSION}")
version=${2:?usage: install_test.sh BUILD_DIR VERSION}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

prefix=/opt/quillon-test  # a prefix of its own: CMAKE_INSTALL_PREFIX is honoured
DESTDIR=$root cmake --install "$build" --prefix "$prefix" > "$root.log" 2>&1 ||
    { cat "$root.log" >&2; fail "cmake --install failed"; }
rm -f "$root.log"
tree=$root$prefix
id=org.quillon.Quillon
studio=org.quillon.Studio
expected=(
    bin/quillon bin/quillon-render bin/quillon-studio
    share/applications/$id.desktop share/applications/$studio.desktop
    share/metainfo/$id.metainfo.xml share/metainfo/$studio.metainfo.xml
    share/icons/hicolor/scalable/apps/$id.svg
    share/man/man1/quillon.1.gz share/man/man1/quillon-render.1.gz share/man/man1/quillon-studio.1.gz
)
for size in 16 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png" "share/icons/hicolor/${size}x${size}/apps/$studio.png")
done
for file in "${expected[@]}"; do
    [[ -s $tree/$file ]] || fail "not installed: $file"
done
for size in 16 32 48 64 128 256; do
    for app in $id $studio; do
        actual=$(identify -format '%wx%h' "$tree/share/icons/hicolor/${size}x${size}/apps/$app.png" 2>/dev/null)
        [[ $actual == "${size}x${size}" ]] || fail "the ${size}px icon of $app is $actual"
    done
done
unexpected=$(cd "$tree" && find . -type f | grep -vE '^\./(bin|share/(applications|metainfo|icons|man))/')
[[ -z $unexpected ]] || fail "installed besides: $unexpected"

for app in $id $studio; do
    desktop-file-validate "$tree/share/applications/$app.desktop" | grep -v '^.*: hint:' | grep . &&
        fail "desktop-file-validate found faults in $app.desktop"
done
for app in $id $studio; do
    appstreamcli validate --no-net "$tree/share/metainfo/$app.metainfo.xml" > "$root/as.txt" 2>&1 ||
        { cat "$root/as.txt" >&2; fail "appstreamcli validate failed on $app.metainfo.xml"; }
    grep -q "<release version=\"$version\"" "$tree/share/metainfo/$app.metainfo.xml" ||
        fail "the metainfo of $app does not carry version $version"
    grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" "$tree/share/metainfo/$app.metainfo.xml" ||
        fail "the metainfo of $app does not launch $app.desktop"
done
# The manual tells every option the command knows.
manual=$(zcat "$tree/share/man/man1/quillon-render.1.gz")
for option in $("$tree/bin/quillon-render" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "$option" <<< "$manual" || fail "the manual of quillon-render lacks $option"
done

manual=$(zcat "$tree/share/man/man1/quillon-studio.1.gz")
for option in $(QT_QPA_PLATFORM=offscreen "$tree/bin/quillon-studio" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "$option" <<< "$manual" || fail "the manual of quillon-studio lacks $option"
done
[[ $(QT_QPA_PLATFORM=offscreen "$tree/bin/quillon-studio" --version) == "QUILLON Studio $version" ]] ||
    fail "quillon-studio --version is not $version"

[[ $("$tree/bin/quillon-render" --version) == "quillon-render $version" ]] ||
    fail "quillon-render --version is not $version"
"$tree/bin/quillon-render" --figure Henon --size 64x48 --points 20000 -o "$root/tiny.png" -q > /dev/null ||
    fail "the installed quillon-render did not draw"
[[ $(identify -format '%wx%h' "$root/tiny.png" 2>/dev/null) == 64x48 ]] || fail "the tiny picture is not 64x48"

# The window program starts, runs its event loop, and ends when told to.
QT_QPA_PLATFORM=offscreen "$tree/bin/quillon" > "$root/quillon.log" 2>&1 &
pid=$!
sleep 2
if kill -0 "$pid" 2> /dev/null; then
    kill -TERM "$pid"
    wait "$pid"
    [[ $? -eq 143 ]] || fail "quillon did not end on SIGTERM as asked"
else
    wait "$pid"
    fail "quillon ended by itself at once: $(cat "$root/quillon.log")"
fi

# The studio starts on a figure and ends when told to.
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$root/config XDG_DATA_HOME=$root/data "$tree/bin/quillon-studio" \
    > "$root/studio.log" 2>&1 &
pid=$!
sleep 2
if kill -0 "$pid" 2> /dev/null; then
    kill -TERM "$pid"
    wait "$pid"
    [[ $? -eq 143 ]] || fail "quillon-studio did not end on SIGTERM as asked"
else
    wait "$pid"
    fail "quillon-studio ended by itself at once: $(cat "$root/studio.log")"
fi

if ((failures > 0)); then
    echo "$failures failures" >&2
    exit 1
fi
echo "install: every file in place, validated, and the programs run"
