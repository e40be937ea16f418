// Placing every image of the max document at once, against loading it.
#include <benchmark/benchmark.h>

#include <memory>

#include "actions/placement_actions.h"
#include "bench/bench_files.h"
#include "bench/large_documents.h"

namespace dabro::bench {

namespace {

// `place -c C --anchor bottom --at 0,Y --together` for every collection, Y alternating so
// that every run moves every box, and each step applied.
void BM_PlaceAnchorMaxDocument(benchmark::State& state) {
    static const std::unique_ptr<SpriteDocument> doc = make_large_document(max_document_shape());
    PlaceRequest request;
    request.operation = PlaceOperation::Anchor;
    request.anchor = AnchorPoint::Bottom;
    request.together = true;
    static std::int32_t y = 40;  // kept across runs, as the document is
    for (auto _ : state) {
        y = y == 40 ? 41 : 40;
        request.pair = {0, y};
        for (int c = 0; c < doc->collectionCount; ++c) {
            request.images.collection = c;
            PlaceOutcome placed;
            if (Status s = place_frames(*doc, request, placed); !s.ok() || !placed.step) {
                state.SkipWithError("placing did not move the boxes");
                return;
            }
            placed.step->apply(*doc);
        }
    }
}
BENCHMARK(BM_PlaceAnchorMaxDocument)->UseRealTime()->MinTime(2)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace dabro::bench
