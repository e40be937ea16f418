// RGBA colours matched to the pixels of one palette.
#pragma once

#include <array>
#include <cstdint>

#include "document/sprite_document.h"
#include "imaging/pixel_image.h"

namespace dabro {

// Turns RGBA colours (as rgba_of writes them) into pixels of one palette:
// - alpha 0 is transparent, whatever the colour;
// - exact black (0, 0, 0) is black with its alpha when the alpha is below 255, or when the
//   palette has no exact black;
// - any other colour takes the palette entry nearest by squared RGB distance, the lowest
//   index among equally near ones, and keeps its alpha.
// Colours already seen are remembered, so a picture of few colours costs one search each.
class ColourMatcher {
  public:
    explicit ColourMatcher(const Palette& palette);

    Pixel match(std::uint32_t rgba) {
        const auto alpha = static_cast<std::uint8_t>(rgba >> 24);
        if (alpha == 0) return transparent_pixel();
        const std::uint32_t rgb = rgba & 0xFFFFFFu;
        if (rgb == 0 && (alpha < 255 || !hasBlack_)) return black_pixel(alpha);
        return indexed_pixel(nearest(rgb), alpha);
    }

    // The nearest entry to a colour with red in the lowest byte.
    std::uint8_t nearest(std::uint32_t rgb) {
        const std::size_t slot = (rgb * 0x9E3779B1u) >> (32 - kCacheBits);
        if (keys_[slot] == (rgb | kValid)) return values_[slot];
        const std::uint8_t index = search(rgb);
        keys_[slot] = rgb | kValid;
        values_[slot] = index;
        return index;
    }

  private:
    static constexpr int kCacheBits = 12;
    static constexpr std::uint32_t kValid = 1u << 24;

    std::uint8_t search(std::uint32_t rgb) const;

    // The palette with red in the lowest byte, as the colours come.
    std::array<std::uint32_t, kPaletteEntries> entries_{};
    bool hasBlack_ = false;
    std::array<std::uint32_t, std::size_t{1} << kCacheBits> keys_{};
    std::array<std::uint8_t, std::size_t{1} << kCacheBits> values_{};
};

}  // namespace dabro
