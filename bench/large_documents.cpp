// The large documents the benchmarks use, built in memory in the shapes they name.
#include "bench/large_documents.h"

#include <string>

namespace dabro::bench {

LargeShape max_document_shape() {
    LargeShape shape;
    shape.sequences = kMaxSequences;
    shape.framesPerSequence = kMaxSequenceFrames;
    shape.collections.assign(kMaxCollections, CollectionSize{8, 8});
    shape.collections[0] = CollectionSize{480, 8};
    return shape;
}

LargeShape scaling_shape(int frames) {
    LargeShape shape;
    shape.sequences = 1;
    shape.framesPerSequence = 1;
    shape.collections = {CollectionSize{frames, 8}};
    return shape;
}

std::vector<std::uint8_t> one_pixel_image(int width, int height, std::uint32_t seed) {
    std::vector<std::uint8_t> out;
    if (width <= 0 || height <= 0) return out;
    out.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    // The radii move a little from image to image, as a figure's outline does from frame to
    // frame, so the images differ in length as well as in content.
    const double rx = width * (0.40 + 0.01 * static_cast<double>(seed % 11));
    const double ry = height * (0.40 + 0.01 * static_cast<double>((seed / 11) % 11));
    const double cx = (width - 1) / 2.0;
    const double cy = (height - 1) / 2.0;
    for (int y = 0; y < height; ++y) {
        const double dy = (y - cy) / ry;
        for (int x = 0; x < width; ++x) {
            const double dx = (x - cx) / rx;
            const double d = dx * dx + dy * dy;
            if (d > 1.0) {
                out.push_back(4);
                continue;
            }
            out.push_back(6);
            out.push_back(
                static_cast<std::uint8_t>((x * 7 + y * 13 + static_cast<int>(seed)) & 0xFF));
            out.push_back(d > 0.8 ? 128 : 255);
        }
    }
    return out;
}

namespace {

std::string numbered(const char* prefix, int n) {
    std::string text = prefix;
    if (n < 10) text += '0';
    return text + std::to_string(n);
}

}  // namespace

std::unique_ptr<SpriteDocument> make_large_document(const LargeShape& shape) {
    auto doc = std::make_unique<SpriteDocument>();
    doc->dimensions = {1, 2, 3};
    doc->centerX = 48;
    doc->centerY = 90;
    doc->headerWord = 7;
    doc->headerByte = 1;

    const int collectionCount = static_cast<int>(shape.collections.size());
    doc->sequenceCount = shape.sequences;
    for (int s = 0; s < shape.sequences; ++s) {
        Sequence& seq = doc->sequences[static_cast<std::size_t>(s)];
        const int collection = collectionCount > 0 ? s % collectionCount : 0;
        const int frames = collectionCount > 0
                               ? shape.collections[static_cast<std::size_t>(collection)].frames
                               : 1;
        seq.frameCount = shape.framesPerSequence;
        for (int i = 0; i < shape.framesPerSequence; ++i) {
            seq.imageIndex[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i % frames);
            seq.frameValue[static_cast<std::size_t>(i)] = 100 + i;
        }
        seq.set_name(numbered("walk_", s));
        seq.collectionIndex = static_cast<std::uint16_t>(collection);
    }

    doc->collectionCount = collectionCount;
    std::uint32_t seed = 1;
    for (int c = 0; c < collectionCount; ++c) {
        ImageCollection& col = doc->collections[static_cast<std::size_t>(c)];
        col.set_name(numbered("figure_", c));
        col.frames = shape.collections[static_cast<std::size_t>(c)].frames;
        col.directions = shape.collections[static_cast<std::size_t>(c)].directions;
        col.imageSectionType = kReadableSection;
        for (std::size_t p = 0; p < col.palettes.size(); ++p)
            for (std::size_t i = 0; i < col.palettes[p].size(); ++i)
                col.palettes[p][i] =
                    static_cast<std::uint32_t>((i * 0x010305u + p * 0x202020u) & 0xFFFFFFu);
        const int slots = col.slot_count();
        for (int k = 0; k < slots; ++k) {
            const int w = shape.imageWidth;
            const int h = shape.imageHeight;
            col.boxes[static_cast<std::size_t>(k)] = {-w / 2, -h, w - w / 2, 0};
            CollectionImage& image = col.images[static_cast<std::size_t>(k)];
            image.kind = 1;
            image.flag = 0;
            image.width = w;
            image.height = h;
            image.set_data(one_pixel_image(w, h, seed++));
        }
    }
    return doc;
}

}  // namespace dabro::bench
