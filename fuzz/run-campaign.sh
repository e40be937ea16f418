#!/usr/bin/env bash
# Usage: fuzz/run-campaign.sh SECONDS [TARGET...]
#
# Builds the libFuzzer targets (clang, ASan + UBSan) when needed and runs each target for
# SECONDS, then prints per target the executions done and the crashes found. Exits non-zero
# when any target crashed, leaked, timed out or ran out of memory.
#
# Environment:
#   DABRO_FUZZ_BUILD     build folder (default: build-fuzz beside this folder)
#   DABRO_FUZZ_WORK      where corpora, crash files and logs go (default: $DABRO_FUZZ_BUILD/campaign);
#                        the corpus grows from one campaign to the next
#   DABRO_FUZZ_PARALLEL  how many targets run at once (default 1)
#   DABRO_FUZZ_KEEP_GOING=1  go on after a finding (libFuzzer's fork mode), to collect several
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: $0 SECONDS [TARGET...]}
shift
build=${DABRO_FUZZ_BUILD:-$root/build-fuzz}
work=${DABRO_FUZZ_WORK:-$build/campaign}
parallel=${DABRO_FUZZ_PARALLEL:-1}
targets=("$@")
# Every target by default, as fuzz/targets.cmake lists them.
if [ ${#targets[@]} -eq 0 ]; then
    read -r -a targets <<<"$(sed -n '/^set(DABRO_FUZZ_TARGETS/,/)/p' "$root/fuzz/targets.cmake" |
        tr '()\n' '   ' | sed 's/set *DABRO_FUZZ_TARGETS//')"
fi

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DDABRO_BUILD_FUZZ=ON -DDABRO_BUILD_GUI=OFF -DDABRO_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j "${DABRO_FUZZ_JOBS:-2}" >/dev/null

# The run-length targets share one dictionary; a target without one runs without.
dictionary() {
    case $1 in
        render | halve | player_frame) echo "$root/fuzz/dict/rle.dict" ;;
        *) echo "$root/fuzz/dict/$1.dict" ;;
    esac
}

run_target() {
    local target=$1
    local corpus=$work/corpus/$target crashes=$work/crashes/$target log=$work/logs/$target.log
    # Findings of earlier campaigns are not counted again (they belong in tests/data/crashers).
    rm -rf "$crashes"
    mkdir -p "$corpus" "$crashes" "$work/logs"
    local keep_going=() dict=()
    [ -f "$(dictionary "$target")" ] && dict=(-dict="$(dictionary "$target")")
    # Long campaigns can go on past a finding, each input then running in a child process.
    [ "${DABRO_FUZZ_KEEP_GOING:-0}" = 1 ] &&
        keep_going=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
    # A file-sized allocation or a slow input is a finding, as is any sanitizer report.
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -malloc_limit_mb=64 -rss_limit_mb=1024 \
        -timeout=2 -print_final_stats=1 "${dict[@]}" -artifact_prefix="$crashes/" \
        "${keep_going[@]}" "$corpus" "$build/fuzz-seeds/$target" >"$log" 2>&1 || true
}

summary() {
    local target=$1 log=$work/logs/$1.log executions crashes
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    # A run that stopped on a finding prints no final statistics; its last status line counts.
    [ -n "$executions" ] || executions=$(sed -n 's/^#\([0-9]*\).*/\1/p' "$log" | tail -n 1)
    crashes=$(find "$work/crashes/$target" -maxdepth 1 -type f \
        \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
    printf '%-14s %14s %8s\n' "$target" "${executions:-0}" "$crashes"
    # A target that ran nothing (it could not start) has checked nothing: a failure too.
    [ "$crashes" -eq 0 ] && [ "${executions:-0}" -gt 0 ]
}

running=0
for target in "${targets[@]}"; do
    [ -x "$build/fuzz/fuzz_$target" ] || { echo "no fuzzer for $target" >&2; exit 2; }
    run_target "$target" &
    running=$((running + 1))
    if [ "$running" -ge "$parallel" ]; then
        wait -n
        running=$((running - 1))
    fi
done
wait

status=0
printf '%-14s %14s %8s\n' target executions crashes
for target in "${targets[@]}"; do
    summary "$target" || status=1
done
if [ "$status" -ne 0 ]; then
    echo "Crash files are in $work/crashes; replay one with $build/fuzz/fuzz_TARGET FILE." >&2
fi
exit "$status"
