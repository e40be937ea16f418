#include "imaging/render.h"

#include <algorithm>

#include "imaging/rle.h"

namespace dabro {

namespace {

constexpr std::uint32_t kGreyLevel = 100;

// ((255 - a) * 100 + a * c) / 255; the compiler turns the constant division into a
// multiply and shift.
inline std::uint32_t blend_channel(std::uint32_t alpha, std::uint32_t c) {
    return ((255 - alpha) * kGreyLevel + alpha * c) / 255;
}

inline std::uint32_t blend_to_rgb32(std::uint32_t alpha, std::uint32_t colour) {
    if (alpha == 255) return 0xFF000000u | (colour & 0xFFFFFFu);
    if (alpha == 0) return kPreviewGreyRgb32;
    const std::uint32_t r = blend_channel(alpha, (colour >> 16) & 0xFF);
    const std::uint32_t g = blend_channel(alpha, (colour >> 8) & 0xFF);
    const std::uint32_t b = blend_channel(alpha, colour & 0xFF);
    return 0xFF000000u | r << 16 | g << 8 | b;
}

}  // namespace

std::uint32_t blend_rgb32(std::uint8_t alpha, std::uint32_t colour) { return blend_to_rgb32(alpha, colour); }

std::uint32_t blend_pixel(std::uint8_t alpha, std::uint32_t colour) {
    const std::uint32_t rgb = blend_to_rgb32(alpha, colour);
    return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

std::uint32_t Picture::at(std::int64_t x, std::int64_t y) const {
    if (x >= 0 && y >= 0 && x < width && y < height) {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
    return kPreviewGreyRgb32;
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

void render_image_into(const CollectionImage& image, const Palette& palette, std::uint32_t* pixels,
                       std::int32_t width, std::int32_t height, std::ptrdiff_t stridePixels) {
    if (width <= 0 || height <= 0) return;
    for (std::int32_t row = 0; row < height; ++row) {
        std::fill_n(pixels + row * stridePixels, width, kPreviewGreyRgb32);
    }

    const std::int64_t drawWidth = std::min(image.width, width);
    const std::int64_t drawHeight = std::min(image.height, height);
    if (drawWidth <= 0 || drawHeight <= 0) return;

    walk_rle<RowRule::Preview>(encoded_bytes(image), image.width,
                               [&](std::int64_t x, std::int64_t y, const RlePixel& p) {
                                   if (y >= drawHeight) return false;
                                   if (x < drawWidth) {
                                       const std::uint32_t colour = p.uses_palette() ? palette[p.index] : 0;
                                       pixels[y * stridePixels + x] = blend_to_rgb32(p.alpha, colour);
                                   }
                                   return true;
                               });
}

Picture render_image(const CollectionImage& image, const Palette& palette, std::int64_t maxPixels) {
    Picture picture;
    picture.nominalWidth = image.width;
    picture.nominalHeight = image.height;
    const Extent extent = reachable_extent(image);
    if (extent.width == 0 || extent.height == 0 || maxPixels <= 0) return picture;

    picture.width = static_cast<std::int32_t>(std::min<std::int64_t>(extent.width, maxPixels));
    picture.height = static_cast<std::int32_t>(std::min<std::int64_t>(extent.height, maxPixels / picture.width));
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    render_image_into(image, palette, picture.pixels.data(), picture.width, picture.height, picture.width);
    return picture;
}

}  // namespace dabro
