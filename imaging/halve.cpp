// Halving an image.
#include "imaging/halve.h"

#include <cstdint>
#include <vector>

#include "imaging/rle.h"

namespace dabro {

namespace {

std::int32_t half(std::int32_t n) {
    // In 64 bits, so the largest size does not overflow on the way.
    return static_cast<std::int32_t>((std::int64_t{n} + 1) / 2);
}

bool retained(std::int64_t x, std::int64_t y) {
    return ((x | y) & 1) == 0;
}

}  // namespace

Status halve_image(const CollectionImage& image, EncodedImage& halved) {
    const auto data = encoded_bytes(image);

    // A run of 63 transparent pixels costs one byte but halves to up to 32 bytes, so the
    // result is sized exactly by a first walk rather than guessed from width and height.
    std::uint64_t size = 0;
    walk_rle<RowRule::Halving>(data, image.width,
                               [&](std::int64_t x, std::int64_t y, const RlePixel& p) {
                                   if (retained(x, y)) size += encoded_pixel_size(p.alpha);
                               });
    if (size > kMaxDataLength) return Status::failure(kDataTooLongMessage);

    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(size));
    walk_rle<RowRule::Halving>(data, image.width,
                               [&](std::int64_t x, std::int64_t y, const RlePixel& p) {
                                   if (retained(x, y)) append_pixel(out, p.index, p.alpha);
                               });

    halved = {std::move(out), half(image.width), half(image.height)};
    return Status::success();
}

}  // namespace dabro
