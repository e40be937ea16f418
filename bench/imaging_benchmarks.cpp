// Benchmarks of the image tools: rendering an image and halving it.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/large_documents.h"
#include "imaging/halve.h"
#include "imaging/render.h"

namespace dabro::bench {

namespace {

CollectionImage figure(int width, int height) {
    CollectionImage image;
    image.width = width;
    image.height = height;
    image.set_data(one_pixel_image(width, height, 5));
    return image;
}

Palette rainbow() {
    Palette palette{};
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = static_cast<std::uint32_t>((i * 0x030507u) & 0xFFFFFFu);
    return palette;
}

// The preview's work: an image that fills the 225 x 153 frame, decoded and blended over the
// grey into the view's pixels.
void BM_RenderImage(benchmark::State& state) {
    constexpr int kWidth = 225;
    constexpr int kHeight = 153;
    const CollectionImage image = figure(kWidth, kHeight);
    const Palette palette = rainbow();
    std::vector<std::uint32_t> surface(static_cast<std::size_t>(kWidth) * kHeight);
    for (auto _ : state) {
        render_image_into(image, palette, surface.data(), kWidth, kHeight, kWidth);
        benchmark::DoNotOptimize(surface.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_RenderImage)->Unit(benchmark::kMicrosecond);

void BM_HalveImage(benchmark::State& state) {
    const CollectionImage image = figure(480, 480);
    for (auto _ : state) {
        EncodedImage halved;
        if (Status s = halve_image(image, halved); !s.ok()) {
            state.SkipWithError("halve_image failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * 480 * 480);
}
BENCHMARK(BM_HalveImage)->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace dabro::bench
