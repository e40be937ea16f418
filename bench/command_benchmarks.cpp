// Benchmarks of the history: undo and redo of a large halve, and a thousand field edits.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>

#include "actions/image_actions.h"
#include "bench/large_documents.h"
#include "commands/document_commands.h"
#include "commands/history.h"

namespace dabro::bench {
namespace {

// Undo and redo of a halve of the max document's largest image, without the refresh that
// follows them in the window.
void BM_UndoRedoHalve(benchmark::State& state) {
    auto doc = make_large_document(max_document_shape());
    ImageRef largest;
    std::size_t bytes = 0;
    for (int c = 0; c < doc->collectionCount; ++c) {
        const ImageCollection& col = doc->collections[c];
        for (int s = 0; s < col.slot_count(); ++s) {
            if (col.images[s].data.size() > bytes) {
                bytes = col.images[s].data.size();
                largest = {c, s};
            }
        }
    }
    CommandPtr halve;
    if (!halve_step(*doc, largest, halve).ok()) state.SkipWithError("halve failed");
    History history;
    history.run(std::move(halve), *doc);
    for (auto _ : state) {
        history.undo(*doc);
        history.redo(*doc);
        benchmark::ClobberMemory();
    }
    state.counters["image_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_UndoRedoHalve)->Unit(benchmark::kMicrosecond);

// The memory a history of 1,000 field edits holds: the heap in use with it, less without.
void BM_HistoryOf1000FieldEdits(benchmark::State& state) {
    auto session = make_session();
    SpriteDocument& doc = session->document;
    doc.sequenceCount = 1;
    doc.sequences[0].frameCount = 1;
    std::size_t held = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        auto history = std::make_unique<History>();
        for (int i = 1; i <= 1000; ++i) history->run(set_frame_value_command(0, 0, i), doc);
        held = mallinfo2().uordblks - before;
        benchmark::DoNotOptimize(history.get());
    }
    state.counters["history_bytes"] = static_cast<double>(held);
}
BENCHMARK(BM_HistoryOf1000FieldEdits)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace dabro::bench
