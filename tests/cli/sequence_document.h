// The document the render-sequence and animate tests draw from.
#pragma once

#include <memory>

#include "support/sprite_builder.h"

namespace dabro::test {

// Sequence 0 shows collection 0 (3 frames x 2 directions) through image indexes 2, 0, 5, 1,
// with frame values -50, 50, 150, 250; index 5 is outside the collection. Sequence 1 shows
// collection 1, whose images were never read. Images come in two sizes, with every kind of
// pixel, and every palette differs.
inline std::unique_ptr<SpriteDocument> four_frame_sequence_document() {
    auto doc = make_document(
        {.sequences = 2, .framesPerSequence = 4, .collections = {{3, 2}, {1, 1, kShortSection}}});
    Sequence& s = doc->sequences[0];
    s.collectionIndex = 0;
    const std::int16_t indexes[] = {2, 0, 5, 1};
    for (std::size_t i = 0; i < 4; ++i) {
        s.imageIndex[i] = indexes[i];
        s.frameValue[i] = static_cast<std::int32_t>(i * 100) - 50;
    }
    doc->sequences[1].collectionIndex = 1;
    ImageCollection& c = doc->collections[0];
    for (int slot : {1, 4}) {
        CollectionImage& image = c.images[static_cast<std::size_t>(slot)];
        image.width = 9;
        image.height = 4;
        image.set_data(mixed_rle(9, 4, static_cast<std::uint32_t>(slot)));
    }
    for (std::size_t p = 0; p < 4; ++p)
        for (std::size_t i = 0; i < 256; ++i)
            c.palettes[p][i] = static_cast<std::uint32_t>(i * 0x030201 + p * 0x405060) & 0xFFFFFF;
    return doc;
}

}  // namespace dabro::test
