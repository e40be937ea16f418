// The player's decoded images: each kept while its data and palette stay the same.
#include <algorithm>

#include "imaging/player_render.h"

namespace dabro {

namespace {

inline std::uint32_t colour_of(const RlePixel& p, const Palette& palette) {
    return p.uses_palette() ? palette[p.index] & 0xFFFFFFu : 0u;
}

}  // namespace

void FrameRenderer::keep_within_budget(const Decoded& keep) {
    std::size_t total = 0;
    for (const Decoded& d : decoded_) total += d.colours.capacity();
    while (total > kMaxKeptPixels) {
        Decoded* oldest = nullptr;
        for (Decoded& d : decoded_) {
            if (&d == &keep || d.colours.capacity() == 0 || d.lastUse == clock_) continue;
            if (oldest == nullptr || d.lastUse < oldest->lastUse) oldest = &d;
        }
        if (oldest == nullptr) return;
        total -= oldest->colours.capacity();
        *oldest = Decoded{};
    }
}

const FrameRenderer::Decoded* FrameRenderer::decoded(const Layer& layer) {
    if (layer.image == nullptr || layer.palette == nullptr) return nullptr;
    const CollectionImage& image = *layer.image;
    const std::span<const std::uint8_t> bytes = encoded_bytes(image);
    for (Decoded& d : decoded_) {
        if (d.reusable && d.image == &image && d.nominalWidth == image.width &&
            d.nominalHeight == image.height && d.data.size() == bytes.size() &&
            std::equal(bytes.begin(), bytes.end(), d.data.begin()) && d.palette == *layer.palette) {
            d.lastUse = clock_;
            return &d;
        }
    }
    Decoded& d =
        *std::min_element(decoded_.begin(), decoded_.end(),
                          [](const Decoded& x, const Decoded& y) { return x.lastUse < y.lastUse; });
    d.lastUse = clock_;
    d.image = &image;
    d.nominalWidth = image.width;
    d.nominalHeight = image.height;
    // Only images of a sane size are kept to be compared; a hostile one is decoded again.
    d.reusable = bytes.size() <= kMaxKeptBytes;
    if (d.reusable)
        d.data.assign(bytes.begin(), bytes.end());
    else
        d.data.clear();
    d.palette = *layer.palette;
    const Extent extent = drawn_extent(image);
    d.width = extent.width;
    d.height = extent.height;
    const auto n = static_cast<std::size_t>(d.width) * static_cast<std::size_t>(d.height);
    if (d.colours.size() < n) {
        d.colours.resize(n);
        keep_within_budget(d);
    }
    std::fill_n(d.colours.begin(), n, 0u);
    if (n == 0) return &d;

    const std::int64_t w = d.width;
    const std::int64_t h = d.height;
    std::uint32_t* const colours = d.colours.data();
    const Palette& palette = d.palette;
    walk_rle<RowRule::Preview>(
        bytes, image.width, [&](std::int64_t x, std::int64_t y, const RlePixel& p) {
            if (y >= h) return false;
            if (x < w) {
                const std::int64_t at = y * w + x;
                colours[at] =
                    p.alpha == 0 ? 0u : std::uint32_t{p.alpha} << 24 | colour_of(p, palette);
            }
            return true;
        });
    return &d;
}

std::optional<InspectedPixel> FrameRenderer::pixel_at(std::int64_t x, std::int64_t y) const {
    const Decoded* d = current_;
    if (d == nullptr || x < 0 || y < 0 || x >= d->width || y >= d->height) return std::nullopt;
    // The pixel is found by walking the data the picture was decoded from again: the
    // inspector asks once per mouse move, playback never.
    const std::span<const std::uint8_t> bytes =
        d->reusable ? std::span<const std::uint8_t>(d->data) : encoded_bytes(*d->image);
    std::optional<InspectedPixel> found;
    walk_rle<RowRule::Preview>(bytes, d->nominalWidth,
                               [&](std::int64_t px, std::int64_t py, const RlePixel& p) {
                                   if (py > y) return false;
                                   if (py == y && px == x) {
                                       found = InspectedPixel{p, colour_of(p, d->palette)};
                                       return false;
                                   }
                                   return true;
                               });
    return found;
}

std::size_t FrameRenderer::capacity_bytes() const {
    std::size_t bytes =
        (composed_.capacity() + previous_.capacity() + rows_.capacity()) * sizeof(std::uint32_t);
    for (const Decoded& d : decoded_)
        bytes += d.data.capacity() + d.colours.capacity() * sizeof(std::uint32_t);
    return bytes;
}

}  // namespace dabro
