// The benchmark program's entry: Google Benchmark's, with a headless application for the window.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bench/bench_files.h"

#ifdef DABRO_BENCH_WINDOW
#include <QApplication>

#include "bench/window_benchmarks.h"
#endif

int main(int argc, char** argv) {
#ifdef DABRO_BENCH_WINDOW
    // The window benchmarks need no screen.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
#ifdef DABRO_BENCH_WINDOW
    dabro::bench::release_window();
#endif
    dabro::bench::remove_bench_files();
    return 0;
}
