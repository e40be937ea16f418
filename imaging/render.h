// The preview's drawing of one image over the grey.
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

// The columns and rows of an image that its data reach under the preview's row rule,
// within the image's width and height (0 x 0 when nothing is drawn).
struct Extent {
    std::int32_t width = 0;
    std::int32_t height = 0;
};
Extent reachable_extent(const CollectionImage& image);

// Draws straight into a caller's 32-bit buffer (e.g. a QImage::Format_RGB32's bits()):
// clears width x height of it to the grey, then draws the pixels that fall inside both
// the buffer and the image's own width and height. `stridePixels` is the distance between
// rows in pixels (bytesPerLine() / 4).
void render_image_into(const CollectionImage& image, const Palette& palette, std::uint32_t* pixels,
                       std::int32_t width, std::int32_t height, std::ptrdiff_t stridePixels);

}  // namespace dabro
