#!/usr/bin/env bash
# Prepares a Debian bookworm machine for QUILLON and builds it in build/.
#
# Installs the packages the build, the tests and the benchmarks need when they
# are missing (as root through apt-get; otherwise it prints the command to run
# with sudo and stops), then configures and builds.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

packages=(
    cmake g++ make                 # the build
    qt6-base-dev libgl1-mesa-dev   # Qt 6 Widgets
    libpng-dev zlib1g-dev          # the renderer's PNG files
    libcli11-dev                   # the renderer's command line
    libopenexr-dev                 # the renderer's counts files
    ffmpeg fonts-dejavu-core       # the renderer's videos, and their titles
    libgtest-dev libbenchmark-dev  # tests/ and bench/
    xvfb xdotool imagemagick x11-utils  # the end-to-end test
    dbus-daemon xauth              # the global-menu test: a session bus, and xvfb-run
    desktop-file-utils appstream   # the install test's validators
    dpkg-dev                       # make package: the package's library dependencies
    potrace                        # scripts/make-icons.sh
    clang-14 libclang-rt-14-dev    # make fuzz: clang and its libFuzzer
)

installed() {
    dpkg -s "$1" 2>/dev/null | grep -q '^Status: install ok installed'
}

if command -v dpkg >/dev/null; then
    missing=()
    for package in "${packages[@]}"; do
        installed "$package" || missing+=("$package")
    done
    if ((${#missing[@]} > 0)); then
        if [[ $(id -u) -eq 0 ]]; then
            echo "setup: installing ${missing[*]}"
            export DEBIAN_FRONTEND=noninteractive
            apt-get update
            # Recommends would bring a third more packages (systemd, GTK, Ghostscript,
            # video drivers, speech models) that nothing here uses.
            apt-get install -y --no-install-recommends "${missing[@]}"
        else
            echo "setup: these packages are missing: ${missing[*]}" >&2
            echo "setup: install them with:" >&2
            echo "    sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
            exit 1
        fi
    fi
else
    echo "setup: no dpkg here (not Debian?); make sure these are installed: ${packages[*]}" >&2
fi

# BUILD_DIR and CMAKE_FLAGS choose another build, e.g. the sanitizer one.
# CMAKE_FLAGS holds several words; quotes keep one with spaces whole, as in
# "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" (xargs splits them as the shell would).
build_dir=${BUILD_DIR:-build}
flags=()
if [[ -n ${CMAKE_FLAGS:-} ]]; then
    mapfile -t flags < <(xargs printf '%s\n' <<< "$CMAKE_FLAGS")
fi
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${flags[@]}"
cmake --build "$build_dir" -j"$(nproc 2>/dev/null || echo 2)"
