// The preview's drawing of one image over the grey.
#include "imaging/render.h"

#include <algorithm>

#include "imaging/rle.h"

namespace dabro {

namespace {

constexpr std::uint32_t kGreyLevel = 100;

// ((255 - a) * 100 + a * c) / 255 for every alpha a and channel c, so drawing a pixel is
// three loads with no division and no branch on the alpha.
struct BlendTable {
    std::uint8_t channel[256][256];
    BlendTable() {
        for (std::uint32_t a = 0; a < 256; ++a)
            for (std::uint32_t c = 0; c < 256; ++c)
                channel[a][c] = static_cast<std::uint8_t>(((255 - a) * kGreyLevel + a * c) / 255);
    }
};

const BlendTable& blend_table() {
    static const BlendTable table;
    return table;
}

inline std::uint32_t blend_with(const BlendTable& t, std::uint32_t alpha, std::uint32_t colour) {
    const std::uint8_t* row = t.channel[alpha];
    return 0xFF000000u | std::uint32_t{row[colour >> 16 & 0xFF]} << 16 |
           std::uint32_t{row[colour >> 8 & 0xFF]} << 8 | row[colour & 0xFF];
}

inline std::uint32_t blend_to_rgb32(std::uint32_t alpha, std::uint32_t colour) {
    return blend_with(blend_table(), alpha, colour);
}

}  // namespace

std::uint32_t blend_rgb32(std::uint8_t alpha, std::uint32_t colour) {
    return blend_to_rgb32(alpha, colour);
}

std::uint32_t blend_pixel(std::uint8_t alpha, std::uint32_t colour) {
    const std::uint32_t rgb = blend_to_rgb32(alpha, colour);
    return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

Extent reachable_extent(const CollectionImage& image) {
    const std::int64_t w = image.width;
    const std::int64_t h = image.height;
    if (w <= 0 || h <= 0) return {};
    const auto data = encoded_bytes(image);

    // The preview's row rule works per command, so the extent needs no pixel visits.
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t columns = 0;
    std::int64_t rows = 0;
    std::size_t pos = 0;
    RleCommand command;
    while (y < h && read_command(data, pos, command)) {
        if (command.count > 0 && x < w) {
            columns = std::max(columns, std::min(x + command.count, w));
            rows = y + 1;
        }
        x += command.count;
        if (x >= w) {
            x = 0;
            ++y;
        }
    }
    if (columns == 0 || rows == 0) return {};
    return {static_cast<std::int32_t>(columns), static_cast<std::int32_t>(rows)};
}

namespace {

// Draws over what the buffer holds; the caller has cleared it.
void draw(const CollectionImage& image, const Palette& palette, std::uint32_t* pixels,
          std::int32_t width, std::int32_t height, std::ptrdiff_t stridePixels) {
    const std::int64_t drawWidth = std::min(image.width, width);
    const std::int64_t drawHeight = std::min(image.height, height);
    if (drawWidth <= 0 || drawHeight <= 0) return;

    const BlendTable& table = blend_table();
    walk_rle<RowRule::Preview>(
        encoded_bytes(image), image.width, [&](std::int64_t x, std::int64_t y, const RlePixel& p) {
            if (y >= drawHeight) return false;
            if (x < drawWidth) {
                const std::uint32_t colour = p.uses_palette() ? palette[p.index] : 0;
                pixels[y * stridePixels + x] = blend_with(table, p.alpha, colour);
            }
            return true;
        });
}

}  // namespace

void render_image_into(const CollectionImage& image, const Palette& palette, std::uint32_t* pixels,
                       std::int32_t width, std::int32_t height, std::ptrdiff_t stridePixels) {
    if (width <= 0 || height <= 0) return;
    for (std::int32_t row = 0; row < height; ++row) {
        std::fill_n(pixels + row * stridePixels, width, kPreviewGreyRgb32);
    }
    draw(image, palette, pixels, width, height, stridePixels);
}

}  // namespace dabro
