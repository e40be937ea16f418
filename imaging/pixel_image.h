// An image's pixels as the user sees them, decoded from and encoded to the run-length data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/sprite_document.h"
#include "document/status.h"

namespace dabro {

// An image's pixels as the user sees them, whatever commands stored them: every exporter
// writes this form and every round trip compares it.
enum class PixelKind : std::uint8_t {
    Transparent = 0,
    Indexed = 2,  // a palette index with an alpha of 1 to 255
    Black = 3,    // black with an alpha of 1 to 255, how shadows are stored
};

// Kept normalised: a transparent pixel has index and alpha 0, a black one index 0, and an
// alpha of 0 always makes the pixel transparent, so equal-looking pixels compare equal.
struct Pixel {
    PixelKind kind = PixelKind::Transparent;
    std::uint8_t index = 0;
    std::uint8_t alpha = 0;
    bool operator==(const Pixel&) const = default;
};

constexpr Pixel transparent_pixel() {
    return {};
}
constexpr Pixel indexed_pixel(std::uint8_t index, std::uint8_t alpha) {
    return alpha == 0 ? Pixel{} : Pixel{PixelKind::Indexed, index, alpha};
}
constexpr Pixel black_pixel(std::uint8_t alpha) {
    return alpha == 0 ? Pixel{} : Pixel{PixelKind::Black, 0, alpha};
}

// width x height pixels, row by row.
struct PixelImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<Pixel> pixels;

    const Pixel& at(std::int32_t x, std::int32_t y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    bool operator==(const PixelImage&) const = default;
};

// Decodes the image under the preview's row rule into its width x height. Pixels a command
// delivers beyond the row's end are dropped, as the preview drops them, and pixels the data
// never reach are transparent. A width or height of 0 or less gives an empty image. Fails
// when width x height is more than `maxPixels`.
Status decode_pixels(const CollectionImage& image, PixelImage& out,
                     std::int64_t maxPixels = kMaxImagePixels);

// The pixel as 8-bit RGBA, red in the lowest byte (the byte order R, G, B, A in memory on
// the little-endian machines the program runs on): the palette colour or black, with the
// pixel's own alpha, not blended over anything. A transparent pixel is 0.
inline std::uint32_t rgba_of(Pixel p, const Palette& palette) {
    if (p.kind == PixelKind::Transparent) return 0;
    const std::uint32_t alpha = std::uint32_t{p.alpha} << 24;
    if (p.kind == PixelKind::Black) return alpha;
    const std::uint32_t c = palette[p.index];
    return alpha | (c >> 16 & 0xFF) | (c & 0xFF00) | (c & 0xFF) << 16;
}

// A palette as rgba_of gives its colours with alpha 0, for drawing many pixels.
using RgbaPalette = std::array<std::uint32_t, kPaletteEntries>;
RgbaPalette rgba_palette(const Palette& palette);

// Draws the image as decode_pixels and rgba_of would, straight from its data, into a buffer
// of at least width x height pixels with rows `stride` pixels apart. Only the pixels the
// data reach are written; the caller clears the rest (to 0 for transparent).
void draw_rgba(const CollectionImage& image, const RgbaPalette& palette, std::uint32_t* pixels,
               std::ptrdiff_t stride);

enum class Encoding {
    Compact,   // runs of up to 63 pixels of one kind, within a row
    OnePixel,  // one command per pixel, as raw import and halving write
};

// Runs of up to 63 pixels, each within one row: kind 0 for transparent pixels, kind 1 for
// opaque indices, kind 2 for indices with any other alpha, kind 3 for black. Decoding the
// result under either row rule gives back exactly `image`.
std::vector<std::uint8_t> encode_compact(const PixelImage& image);

// One command per pixel: 4 for a transparent pixel, 6 index alpha for an indexed one, and
// 7 alpha for a black one, which the one-pixel form of index and alpha cannot hold.
std::vector<std::uint8_t> encode_one_pixel(const PixelImage& image);

std::vector<std::uint8_t> encode_pixels(const PixelImage& image, Encoding encoding);

}  // namespace dabro
