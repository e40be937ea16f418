// Benchmark of diff between the max document and a copy with one pixel changed.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <string>
#include <vector>

#include "bench/bench_files.h"
#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "imaging/rle.h"
#include "interchange/sprite_diff.h"

namespace dabro::bench {

namespace {

// The max document with one pixel of its last image given another palette index.
const std::string& max_document_one_pixel_changed() {
    static const std::string path = [] {
        const auto session = make_session();
        LoadReport report;
        if (Status s = load_sprite(max_document_file(), *session, &report); !s.ok())
            setup_failed("loading the max document: " + s.message());
        SpriteDocument& doc = session->document;
        ImageCollection& last = doc.collections[static_cast<std::size_t>(doc.collectionCount - 1)];
        CollectionImage& image = last.images[static_cast<std::size_t>(last.slot_count() - 1)];
        std::size_t pos = 0;
        std::size_t index = 0;
        RleCommand command;
        while (read_command(image.data, pos, command)) {
            if ((command.kind == 1 || command.kind == 2) && command.count > 0)
                index = command.operands;
        }
        if (index == 0) setup_failed("the last image has no pixel with a palette index");
        image.data[index] ^= 1;
        const std::string out = bench_path("max_one_pixel.spr");
        if (Status s = save_sprite(out, doc, header_of(doc)); !s.ok())
            setup_failed("saving " + out + ": " + s.message());
        return out;
    }();
    return path;
}

// What `dabro-cli diff` does: both files loaded into fresh sessions and compared. Memory is
// handed back to the system before each run, as for BM_LoadSprite.
void BM_DiffMaxDocument(benchmark::State& state) {
    const std::string& a = max_document_file();
    const std::string& b = max_document_one_pixel_changed();
    std::vector<Difference> differences;
    for (auto _ : state) {
        state.PauseTiming();
        differences.clear();
        ::malloc_trim(0);
        state.ResumeTiming();
        if (Status s = diff_sprite_files(a, b, differences); !s.ok() || differences.size() != 1) {
            state.SkipWithError("the diff did not find the one changed pixel");
            break;
        }
    }
}
BENCHMARK(BM_DiffMaxDocument)->UseRealTime()->MinTime(2)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace dabro::bench
