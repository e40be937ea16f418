#pragma once

// Deliberately naive decoders written straight from the format's rules, one pixel at a
// time with a bounds check per byte, to compare the real ones against.

#include <cstdint>
#include <random>
#include <vector>

#include "imaging/rle.h"

namespace dabro::test {

struct RefPixel {
    std::int64_t x;
    std::int64_t y;
    int kind;
    int index;
    int alpha;
    bool operator==(const RefPixel&) const = default;
};

inline std::vector<RefPixel> reference_decode(const std::vector<std::uint8_t>& data,
                                              std::int64_t width, bool perPixelRows) {
    std::vector<RefPixel> out;
    std::int64_t x = 0, y = 0;
    std::size_t pos = 0;
    while (pos < data.size()) {
        const int byte = data[pos++];
        const int count = byte / 4;
        const int kind = byte % 4;
        const std::size_t per = kind == 0 ? 0 : kind == 2 ? 2 : 1;
        if (data.size() - pos < per * static_cast<std::size_t>(count)) break;
        for (int i = 0; i < count; ++i) {
            RefPixel p{x, y, kind, 0, 0};
            if (kind == 1) {
                p.index = data[pos++];
                p.alpha = 255;
            }
            if (kind == 2) {
                p.index = data[pos++];
                p.alpha = data[pos++];
            }
            if (kind == 3) {
                p.alpha = data[pos++];
            }
            out.push_back(p);
            x = x + 1;
            if (perPixelRows && x >= width) {
                x = 0;
                y = y + 1;
            }
        }
        if (!perPixelRows && x >= width) {
            x = 0;
            y = y + 1;
        }
    }
    return out;
}

inline int ref_channel(int alpha, int c) {
    return ((255 - alpha) * 100 + alpha * c) / 255;
}

// 0xFFRRGGBB of a pixel blended over the grey.
inline std::uint32_t ref_rgb32(int alpha, std::uint32_t colour) {
    const int r = ref_channel(alpha, static_cast<int>(colour >> 16 & 255));
    const int g = ref_channel(alpha, static_cast<int>(colour >> 8 & 255));
    const int b = ref_channel(alpha, static_cast<int>(colour & 255));
    return 0xFF000000u | static_cast<std::uint32_t>(r << 16 | g << 8 | b);
}

// Deterministic pseudo-random cases, the same on every run and platform.
class Rng {
  public:
    explicit Rng(std::uint32_t seed) : engine_(seed + 1) {}
    std::uint32_t next() { return static_cast<std::uint32_t>(engine_()); }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

  private:
    std::minstd_rand engine_;
};

inline std::vector<std::uint8_t> random_bytes(Rng& rng, std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (auto& b : v) b = static_cast<std::uint8_t>(rng.next());
    return v;
}

inline CollectionImage image_of(std::int32_t width, std::int32_t height,
                                std::vector<std::uint8_t> data) {
    CollectionImage image;
    image.width = width;
    image.height = height;
    image.set_data(std::move(data));
    return image;
}

}  // namespace dabro::test
