// The shapes of the large documents the benchmarks build, the max document's first of all.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "document/sprite_document.h"

namespace dabro::bench {

struct CollectionSize {
    int frames = 1;
    int directions = 1;
};

struct LargeShape {
    int sequences = 0;
    int framesPerSequence = 0;
    std::vector<CollectionSize> collections;
    int imageWidth = 96;
    int imageHeight = 96;
};

// The largest document the editor is expected to hold: every sequence slot full, every
// collection slot used, one collection at the 3840-image limit (480 frames x 8 directions)
// and the others at 8 x 8, all images about 96 x 96. Saved, it is a file of about 146 MB,
// which is also the large file the load and save benchmarks use.
LargeShape max_document_shape();

// One collection of `frames` x 8 directions of the same images, for measuring how loading
// grows with the image count.
LargeShape scaling_shape(int frames);

// A width x height figure over transparency, in the one-pixel encoding the program's own
// encoders write: an ellipse filling about two thirds of the box with a half-transparent rim,
// so about three pixels in five cost three bytes and the rest one.
std::vector<std::uint8_t> one_pixel_image(int width, int height, std::uint32_t seed);

// A deterministic document of the given shape; every collection's images are readable.
std::unique_ptr<SpriteDocument> make_large_document(const LargeShape& shape);

}  // namespace dabro::bench
