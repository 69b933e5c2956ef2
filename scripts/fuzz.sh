#!/usr/bin/env bash
# Builds the fuzz targets in build-fuzz/ with clang and runs each for
# FUZZ_SECONDS (default 30) on its corpus and dictionary. Fails on any
# finding; the input that found it is left in build-fuzz/findings/.
# FUZZ_TARGETS (names, blank-separated) runs some of them only. FUZZ_RUNS
# stops each target after that many executions instead; with it, FUZZ_SECONDS
# is a bound only when given.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD

runs_bound=${FUZZ_RUNS:-}
if [[ -n $runs_bound ]]; then
    if [[ ! $runs_bound =~ ^[1-9][0-9]*$ ]]; then
        echo "fuzz: FUZZ_RUNS must be a whole number of executions, not '$runs_bound'" >&2
        exit 2
    fi
    seconds=${FUZZ_SECONDS:-0}
else
    seconds=${FUZZ_SECONDS:-30}
fi
if [[ ! $seconds =~ ^[0-9]+$ ]]; then
    echo "fuzz: FUZZ_SECONDS must be a whole number of seconds, not '$seconds'" >&2
    exit 2
fi
targets=${FUZZ_TARGETS:-"caption caption_file picture_text png_file video_tag counts_file gradient command_line prompt_number"}

if ! command -v clang++-14 >/dev/null || ! command -v clang-14 >/dev/null; then
    echo "fuzz: skipped: clang-14 is not installed (scripts/setup.sh installs it)" >&2
    exit 0
fi
# libFuzzer itself comes in another package than clang.
if [[ ! -f $(clang++-14 -print-runtime-dir)/libclang_rt.fuzzer-$(uname -m).a ]]; then
    echo "fuzz: skipped: clang-14's libFuzzer is not installed (libclang-rt-14-dev; scripts/setup.sh installs it)" >&2
    exit 0
fi

# -O1 and line tables only: fast enough to fuzz, quick to build. Two runs at
# once (of other targets) take turns to build.
mkdir -p build-fuzz
exec 9>build-fuzz/.build-lock
flock 9
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" -DQUILLON_FUZZ=ON \
    -DQUILLON_BUILD_TESTS=OFF -DQUILLON_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_targets -j"$(nproc 2>/dev/null || echo 2)"
flock -u 9

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p build-fuzz/findings build-fuzz/work
failed=()
for target in $targets; do
    # New inputs go to build-fuzz/corpus; the repository's seeds stay as they are.
    # A target may have no regressions yet (git keeps no empty folder).
    mkdir -p "build-fuzz/corpus/$target"
    inputs=("$root/build-fuzz/corpus/$target" "$root/fuzz/corpus/$target")
    if [[ -d fuzz/regressions/$target ]]; then
        inputs+=("$root/fuzz/regressions/$target")
    fi
    log=build-fuzz/$target.log
    status=0
    # In a folder of its own: the command line's plans look at files around them.
    (cd build-fuzz/work && nice -n 19 "$root/build-fuzz/fuzz/fuzz_$target" \
        -max_total_time="$seconds" ${runs_bound:+-runs=$runs_bound} -timeout=10 -rss_limit_mb=2560 -malloc_limit_mb=2048 -max_len=4096 \
        -dict="$root/fuzz/dict/$target.dict" -artifact_prefix="$root/build-fuzz/findings/$target-" \
        -print_final_stats=1 "${inputs[@]}") >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || true)
    echo "fuzz: $target: ${runs:-?} runs, ${rate:-?}/s, ${cov:-cov: ?}"
    if ((status != 0)); then
        failed+=("$target")
        echo "fuzz: $target found a fault (status $status); see $log and build-fuzz/findings/" >&2
        grep -E 'ERROR|check failed|SUMMARY' "$log" | head -5 >&2 || true
    fi
done
if ((${#failed[@]} > 0)); then
    echo "fuzz: findings in ${failed[*]}" >&2
    exit 1
fi
