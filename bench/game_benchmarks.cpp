// The whole-game verbs: each over a tree of sprites on one and two threads, and lint.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_files.h"
#include "bench/large_documents.h"
#include "cli/run_cli.h"
#include "document/sprite_saver.h"
#include "imaging/sprite_lint.h"

namespace dabro::bench {

namespace {

namespace fs = std::filesystem;

// Eight sprites of one collection of 32 frames of 160 x 160, in nested folders.
const std::string& game_folder() {
    static const std::string folder = [] {
        const std::string root = bench_path("game");
        LargeShape shape;
        shape.sequences = 1;
        shape.framesPerSequence = 32;
        shape.collections = {{32, 1}};
        shape.imageWidth = 160;
        shape.imageHeight = 160;
        const auto doc = make_large_document(shape);
        for (int i = 0; i < 8; ++i) {
            const fs::path file = fs::path(root) / ("part" + std::to_string(i % 2)) /
                                  ("sprite" + std::to_string(i) + ".spr");
            fs::create_directories(file.parent_path());
            if (Status s = save_sprite(file.string(), *doc, header_of(*doc)); !s.ok())
                setup_failed("saving the game's sprites: " + s.message());
        }
        return root;
    }();
    return folder;
}

// `each -j N game/ -- unpack {} work/{rel}`, the work folder emptied before each run.
void BM_EachUnpack(benchmark::State& state) {
    const std::string work = bench_path("work");
    const std::vector<std::string> args = {
        "each", "-j",           std::to_string(state.range(0)), game_folder(), "--", "unpack",
        "{}",   work + "/{rel}"};
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(work);
        state.ResumeTiming();
        std::ostringstream out;
        std::ostringstream err;
        if (cli::run_cli(args, out, err) != 0) {
            state.SkipWithError(("each failed: " + err.str()).c_str());
            break;
        }
    }
    fs::remove_all(work);
}
BENCHMARK(BM_EachUnpack)->Arg(1)->Arg(2)->UseRealTime()->MinTime(2)->Unit(benchmark::kMillisecond);

// What lint adds to loading: every rule over the max document, already loaded.
void BM_LintMaxDocument(benchmark::State& state) {
    const SpriteDocument& doc = loaded_max_session().document;
    for (auto _ : state) {
        const std::vector<LintFinding> findings = lint_sprite(doc);
        benchmark::DoNotOptimize(findings.data());
    }
}
BENCHMARK(BM_LintMaxDocument)->UseRealTime()->MinTime(2)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace dabro::bench
