#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/limits.h"
#include "document/sprite_document.h"

namespace dabro {

// The preview's background, 100 in each channel, as 0xFFRRGGBB.
inline constexpr std::uint32_t kPreviewGreyRgb32 = 0xFF646464;

// Blends a palette colour (0x00RRGGBB; 0 for black) with `alpha` over the grey, per channel
// ((255 - alpha) * 100 + alpha * c) / 255, and returns it as the drawing surface takes it:
// red in bits 0..7, green in 8..15, blue in 16..23. Alpha 128 over 0xFF8000 gives 0x3172B1.
std::uint32_t blend_pixel(std::uint8_t alpha, std::uint32_t colour);

// The same blend as 0xFFRRGGBB (QImage::Format_RGB32 order).
std::uint32_t blend_rgb32(std::uint8_t alpha, std::uint32_t colour);

// A rendered image. `pixels` holds width x height values 0xFFRRGGBB, row by row.
// `nominalWidth` and `nominalHeight` are the image's own size. width and height are that
// size, or, when the data are too short to back it (fewer bytes than pixels), the part of
// it the data reach, so a hostile size never costs memory the data do not back.
// Everything of the nominal size outside the stored part is grey.
struct Picture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t nominalWidth = 0;
    std::int32_t nominalHeight = 0;
    std::vector<std::uint32_t> pixels;

    // The colour at (x, y) of the nominal size: the grey outside the stored part.
    std::uint32_t at(std::int64_t x, std::int64_t y) const;
};

// The columns and rows of an image that its data reach under the preview's row rule,
// within the image's width and height (0 x 0 when nothing is drawn).
struct Extent {
    std::int32_t width = 0;
    std::int32_t height = 0;
};
Extent reachable_extent(const CollectionImage& image);

// Clears to the grey and draws the image with palette `palette` by the preview's row rule;
// pixels beyond the image's width or height are not drawn.
Picture render_image(const CollectionImage& image, const Palette& palette,
                     std::int64_t maxPixels = kMaxPicturePixels);

// Draws straight into a caller's 32-bit buffer (e.g. a QImage::Format_RGB32's bits()):
// clears width x height of it to the grey, then draws the pixels that fall inside both
// the buffer and the image's own width and height. `stridePixels` is the distance between
// rows in pixels (bytesPerLine() / 4).
void render_image_into(const CollectionImage& image, const Palette& palette, std::uint32_t* pixels,
                       std::int32_t width, std::int32_t height, std::ptrdiff_t stridePixels);

}  // namespace dabro
