// Benchmarks of the animation exports: a sequence's sheet, GIF, APNG and WebP.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "actions/animate.h"
#include "bench/bench_files.h"
#include "bench/large_documents.h"
#include "interchange/png_codec.h"

namespace dabro::bench {

namespace {

// The max document's longest sequence: 100 frames of 96 x 96 images from its largest
// collection, each a different image, placed by box as the batch tool draws them, at scale 4
// (cells of 384 x 384).
constexpr int kScale = 4;

const SpriteDocument& sequence_document() {
    static const std::unique_ptr<SpriteDocument> doc = [] {
        LargeShape shape = max_document_shape();
        shape.sequences = 1;
        shape.collections.resize(1);
        return make_large_document(shape);
    }();
    return *doc;
}

AnimationJob longest_sequence() {
    AnimationJob job;
    if (Status s =
            plan_sequence_cells(sequence_document(), 0, 0, kScale, job.cells, Placement::Box);
        !s.ok())
        setup_failed("planning the cells: " + s.message());
    return job;
}

// What render-sequence makes of the same frames: the row of cells, encoded as PNG.
void BM_RenderSequenceSheet(benchmark::State& state) {
    const AnimationJob job = longest_sequence();
    const SequenceCells& cells = job.cells;
    for (auto _ : state) {
        RgbaImage sheet;
        sheet.width = static_cast<std::uint32_t>(cells.width * std::ssize(cells.frames));
        sheet.height = static_cast<std::uint32_t>(cells.height);
        sheet.pixels.assign(std::size_t{sheet.width} * sheet.height, 0);
        for (std::size_t q = 0; q < cells.frames.size(); ++q)
            draw_sequence_cell(sequence_document(), cells, static_cast<int>(q), 0,
                               sheet.pixels.data() + q * static_cast<std::size_t>(cells.width),
                               sheet.width);
        std::vector<std::uint8_t> png;
        if (Status s = encode_png(sheet, png); !s.ok()) {
            state.SkipWithError("encode_png failed");
            break;
        }
        benchmark::DoNotOptimize(png.data());
    }
}
BENCHMARK(BM_RenderSequenceSheet)->Unit(benchmark::kMillisecond);

void animate_as(benchmark::State& state, AnimationFormat format) {
    const AnimationJob job = longest_sequence();
    const AnimateOptions options;
    for (auto _ : state) {
        std::vector<std::uint8_t> file;
        if (Status s = encode_animation(sequence_document(), job, options, format, file); !s.ok()) {
            state.SkipWithError(s.message().c_str());
            break;
        }
        benchmark::DoNotOptimize(file.data());
    }
}

void BM_AnimateGif(benchmark::State& state) {
    animate_as(state, AnimationFormat::Gif);
}
BENCHMARK(BM_AnimateGif)->Unit(benchmark::kMillisecond);

void BM_AnimateApng(benchmark::State& state) {
    animate_as(state, AnimationFormat::Apng);
}
BENCHMARK(BM_AnimateApng)->Unit(benchmark::kMillisecond);

// No target; for docs/performance.md's comparison of the three formats.
void BM_AnimateWebp(benchmark::State& state) {
    animate_as(state, AnimationFormat::Webp);
}
BENCHMARK(BM_AnimateWebp)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace dabro::bench
