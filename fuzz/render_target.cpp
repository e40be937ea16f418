// Fuzz target: rendering an image against a reference blend, with writes past rows caught.
#include <algorithm>
#include <vector>

#include "fuzz/fuzz_target.h"
#include "fuzz/image_input.h"
#include "imaging/render.h"

namespace dabro::fuzz {

namespace {

constexpr std::uint32_t kGrey = 0xFF646464u;

std::uint32_t reference_blend(std::uint8_t alpha, std::uint32_t colour) {
    auto channel = [&](int shift) {
        const std::uint32_t c = (colour >> shift) & 0xFF;
        return ((255u - alpha) * 100u + alpha * c) / 255u;
    };
    return 0xFF000000u | channel(16) << 16 | channel(8) << 8 | channel(0);
}

std::uint32_t swap_red_blue(std::uint32_t rgb) {
    return (rgb & 0x00FF00u) | (rgb & 0xFFu) << 16 | (rgb >> 16 & 0xFFu);
}

// A small caller's buffer with a margin past each row, to catch writes beyond the width.
constexpr std::int32_t kBufferWidth = 37;
constexpr std::int32_t kBufferHeight = 23;
constexpr std::ptrdiff_t kStride = 41;
constexpr std::uint32_t kMargin = 0xDEADBEEFu;

}  // namespace

int render(Input input) {
    const CollectionImage image = image_from(input);
    const Palette palette = test_palette();

    // The picture the preview shows: the part of the image its data reach, drawn into a
    // buffer of that size. Its size follows the data, never the stated size: either the data
    // hold a byte for every pixel, or each row before the last took a row's width of pixels.
    const Extent extent = reachable_extent(image);
    FUZZ_CHECK(extent.width >= 0 && extent.height >= 0);
    FUZZ_CHECK(extent.width <= std::max(image.width, 0) &&
               extent.height <= std::max(image.height, 0));
    const auto area = static_cast<std::int64_t>(extent.width) * extent.height;
    std::vector<std::uint32_t> picture(static_cast<std::size_t>(area));
    render_image_into(image, palette, picture.data(), extent.width, extent.height, extent.width);
    auto at = [&](std::int64_t x, std::int64_t y) {
        if (x < 0 || y < 0 || x >= extent.width || y >= extent.height) return kGrey;
        return picture[static_cast<std::size_t>(y * extent.width + x)];
    };

    // What the preview must show: grey, and over it the last pixel delivered at each place
    // inside the image, all of which the picture must hold.
    std::vector<std::uint32_t> expected(picture.size(), kGrey);
    std::int64_t delivered = 0;
    std::int64_t reachW = 0;
    std::int64_t reachH = 0;
    reference_walk(usable_bytes(image), image.width, false, [&](const RefPixel& p) {
        ++delivered;
        if (p.x >= image.width || p.y >= image.height) return;
        FUZZ_CHECK(p.x < extent.width && p.y < extent.height);
        const std::uint32_t colour = p.kind == 1 || p.kind == 2 ? palette[p.index] : 0;
        expected[static_cast<std::size_t>(p.y * extent.width + p.x)] =
            reference_blend(p.alpha, colour);
        reachW = std::max(reachW, p.x + 1);
        reachH = std::max(reachH, p.y + 1);
    });
    FUZZ_CHECK(picture == expected);
    FUZZ_CHECK(area <= std::max<std::int64_t>(2 * delivered + 1, image.dataLength));
    FUZZ_CHECK(extent.width == reachW && extent.height == reachH);

    // Drawing into a caller's buffer touches only the buffer's width x height.
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(kStride * kBufferHeight), kMargin);
    render_image_into(image, palette, buffer.data(), kBufferWidth, kBufferHeight, kStride);
    for (std::int32_t y = 0; y < kBufferHeight; ++y) {
        for (std::int32_t x = 0; x < kStride; ++x) {
            const std::uint32_t got = buffer[static_cast<std::size_t>(y * kStride + x)];
            if (x >= kBufferWidth) {
                FUZZ_CHECK(got == kMargin);
                continue;
            }
            FUZZ_CHECK(got == at(x, y));
        }
    }

    // The surface's own order: red in the low byte.
    if (!input.empty()) {
        const std::uint8_t alpha = input[input.size() - 1];
        const std::uint32_t colour = palette[input[0]];
        FUZZ_CHECK(blend_pixel(alpha, colour) ==
                   swap_red_blue(reference_blend(alpha, colour) & 0xFFFFFFu));
        FUZZ_CHECK(blend_rgb32(alpha, colour) == reference_blend(alpha, colour));
    }
    return 0;
}

}  // namespace dabro::fuzz
