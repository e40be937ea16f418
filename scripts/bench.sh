#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks in Release and runs them. Google
# Benchmark's JSON goes to standard output; the targets, as measured in this one run, go to
# standard error after it as the Markdown table docs/performance.md shows, so
# `scripts/bench.sh > results.json` keeps the JSON clean.
# Extra arguments go to the benchmark (e.g. --benchmark_filter=Load).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" >&2
build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDABRO_BUILD_BENCH=ON -DDABRO_BUILD_TESTS=OFF >&2
cmake --build "$build" --target dabro_bench -j "$(nproc)" >&2

export QT_QPA_PLATFORM=offscreen
json="$build/bench-results.json"
"$build/bench/dabro_bench" --benchmark_format=json \
    --benchmark_repetitions="${DABRO_BENCH_REPETITIONS:-3}" --benchmark_report_aggregates_only=true \
    "$@" | tee "$json"
awk -f "$root/bench/targets.awk" "$json" >&2
