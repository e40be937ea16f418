// How the image fuzz targets read an image, and a reference walk over its pixels.
#pragma once

#include <algorithm>
#include <cstdint>

#include "document/byte_reader.h"
#include "document/sprite_document.h"
#include "fuzz/fuzz_target.h"

namespace dabro::fuzz {

// The image targets read their input as: a mode byte, width and height (32-bit signed
// little-endian), then the encoded data. The mode's low two bits choose how dataLength
// relates to the buffer, since a loaded image, a hostile size and a slot edited by hand
// need not agree: 0 equal, 1 shorter by the mode's next four bits, 2 negative, 3 longer.
inline CollectionImage image_from(Input input) {
    ByteReader r(input);
    const std::uint8_t mode = r.u8();
    CollectionImage image;
    image.width = r.i32();
    image.height = r.i32();
    const auto data = r.bytes(r.remaining());
    image.data.assign(data.begin(), data.end());
    const auto size = static_cast<std::int32_t>(image.data.size());
    switch (mode & 3) {
        case 0:
            image.dataLength = size;
            break;
        case 1:
            image.dataLength = size - ((mode >> 2) & 15);
            break;
        case 2:
            image.dataLength = -1 - (mode >> 2);
            break;
        default:
            image.dataLength = size + 1 + (mode >> 2);
            break;
    }
    image.kind = 0x5A;
    image.flag = 0xA5;
    image.sourceName.assign("fuzz.spr");
    return image;
}

// A palette whose every entry differs, so a wrong index shows in the colour.
inline Palette test_palette() {
    Palette palette{};
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = (static_cast<std::uint32_t>(i) * 2654435761u) & 0xFFFFFFu;
    return palette;
}

// The bytes a decoder may use, by the rule written out again: never past dataLength, never
// past the buffer, none for a negative dataLength.
inline std::span<const std::uint8_t> usable_bytes(const CollectionImage& image) {
    if (image.dataLength <= 0) return {};
    const auto n = static_cast<std::size_t>(image.dataLength);
    return std::span<const std::uint8_t>(image.data).first(std::min(n, image.data.size()));
}

// One decoded pixel of the reference walk.
struct RefPixel {
    std::int64_t x;
    std::int64_t y;
    std::uint8_t kind;
    std::uint8_t index;
    std::uint8_t alpha;
};

// The decoding walk written out again, independent of the program's. A command whose
// operands run past the data delivers nothing and ends the walk. `afterPixel` selects the
// halving's row rule; otherwise the row ends only after a whole command.
template <typename Visit>
void reference_walk(std::span<const std::uint8_t> data, std::int32_t width, bool afterPixel,
                    Visit&& visit) {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::size_t pos = 0;
    while (pos < data.size()) {
        const std::uint8_t command = data[pos];
        const int count = command >> 2;
        const int kind = command & 3;
        const std::size_t per = kind == 0 ? 0 : kind == 2 ? 2 : 1;
        if (data.size() - pos - 1 < per * static_cast<std::size_t>(count)) return;
        std::size_t op = pos + 1;
        for (int i = 0; i < count; ++i) {
            RefPixel p{x, y, static_cast<std::uint8_t>(kind), 0, 0};
            if (kind == 1 || kind == 2) p.index = data[op];
            if (kind == 1) p.alpha = 255;
            if (kind == 2) p.alpha = data[op + 1];
            if (kind == 3) p.alpha = data[op];
            op += per;
            visit(p);
            ++x;
            if (afterPixel && x >= width) {
                x = 0;
                ++y;
            }
        }
        pos = op;
        if (!afterPixel && x >= width) {
            x = 0;
            ++y;
        }
    }
}

}  // namespace dabro::fuzz
