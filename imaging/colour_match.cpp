// RGBA colours matched to the pixels of one palette.
#include "imaging/colour_match.h"

namespace dabro {

ColourMatcher::ColourMatcher(const Palette& palette) {
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const std::uint32_t c = palette[i] & 0xFFFFFFu;
        entries_[i] = (c >> 16 & 0xFF) | (c & 0xFF00) | (c & 0xFF) << 16;
        if (c == 0) hasBlack_ = true;
    }
}

std::uint8_t ColourMatcher::search(std::uint32_t rgb) const {
    const int r = static_cast<int>(rgb & 0xFF);
    const int g = static_cast<int>(rgb >> 8 & 0xFF);
    const int b = static_cast<int>(rgb >> 16 & 0xFF);
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < kPaletteEntries; ++i) {
        const std::uint32_t e = entries_[static_cast<std::size_t>(i)];
        const int dr = static_cast<int>(e & 0xFF) - r;
        const int dg = static_cast<int>(e >> 8 & 0xFF) - g;
        const int db = static_cast<int>(e >> 16 & 0xFF) - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0) break;
        }
    }
    return static_cast<std::uint8_t>(best);
}

}  // namespace dabro
