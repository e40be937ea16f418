// Frame lookup: which image each frame of a sequence shows, and the size it draws at.
#include "imaging/frame_lookup.h"

#include <algorithm>

#include "imaging/rle.h"

namespace dabro {

namespace {

std::string count_of(std::int64_t n, const char* what) {
    return std::to_string(n) + ' ' + what;
}

// "Collection 2 has no frame 9: it has 4 frames".
std::string has_no(int collection, const std::string& what, int value, int count) {
    return "Collection " + std::to_string(collection) + " has no " + what + ' ' +
           std::to_string(value) + ": it has " + count_of(std::max(count, 0), (what + 's').c_str());
}

}  // namespace

int sequence_length(const SpriteDocument& document, int sequence) {
    if (!sequence_in_use(document, sequence)) return 0;
    return std::clamp(document.sequences[static_cast<std::size_t>(sequence)].frameCount, 0,
                      kMaxSequenceFrames);
}

FrameImage collection_image(const SpriteDocument& document, int collection, int frame,
                            int direction) {
    FrameImage cell;
    cell.collection = collection;
    cell.collectionFrame = frame;
    cell.direction = direction;
    if (!collection_in_use(document, collection)) {
        const int collections = std::clamp(document.collectionCount, 0, kMaxCollections);
        cell.missing = NoImage::NoCollection;
        cell.reason = "Collection " + std::to_string(collection) +
                      " is not in the sprite, which has " + count_of(collections, "collections");
        return cell;
    }
    const ImageCollection& c = document.collections[static_cast<std::size_t>(collection)];
    if (frame < 0 || frame >= c.frames) {
        cell.missing = NoImage::NoCollectionFrame;
        cell.reason = has_no(collection, "frame", frame, c.frames);
        return cell;
    }
    if (direction < 0 || direction >= c.directions) {
        cell.missing = NoImage::NoDirection;
        cell.reason = has_no(collection, "direction", direction, c.directions);
        return cell;
    }
    cell.slot = c.slot_of(frame, direction);
    if (cell.slot < 0) {
        cell.missing = NoImage::BeyondSlots;
        cell.reason = "Frame " + std::to_string(frame) + ", direction " +
                      std::to_string(direction) + " lies beyond the collection's " +
                      count_of(kMaxImageSlots, "image slots");
    }
    return cell;
}

FrameImage sequence_frame_image(const SpriteDocument& document, int sequence, int frame,
                                int direction) {
    if (!sequence_in_use(document, sequence)) {
        const int sequences = std::clamp(document.sequenceCount, 0, kMaxSequences);
        FrameImage cell;
        cell.direction = direction;
        cell.missing = NoImage::NoSequence;
        cell.reason = "Sequence " + std::to_string(sequence) + " is not in the sprite, which has " +
                      count_of(sequences, "sequences");
        return cell;
    }
    const Sequence& s = document.sequences[static_cast<std::size_t>(sequence)];
    const int frames = sequence_length(document, sequence);
    if (frame < 0 || frame >= frames) {
        FrameImage cell;
        cell.collection = s.collectionIndex;
        cell.direction = direction;
        cell.missing = NoImage::NoSequenceFrame;
        cell.reason = "Sequence " + std::to_string(sequence) + " has no frame " +
                      std::to_string(frame) + ": it has " + count_of(frames, "frames");
        return cell;
    }
    const auto q = static_cast<std::size_t>(frame);
    FrameImage cell = collection_image(document, s.collectionIndex, s.imageIndex[q], direction);
    cell.frameValue = s.frameValue[q];
    return cell;
}

Extent drawn_extent(const CollectionImage& image) {
    if (image.width <= 0 || image.height <= 0) return {};
    Extent size{image.width, image.height};
    // Every pixel takes at least one byte in the encoding the program writes, so only data
    // shorter than the pixel count need the walk that finds what they reach.
    if (std::int64_t{image.width} * image.height >
        static_cast<std::int64_t>(encoded_bytes(image).size()))
        size = reachable_extent(image);
    return {std::min(size.width, kMaxLayerSide), std::min(size.height, kMaxLayerSide)};
}

Extent content_box(const SpriteDocument& document, std::span<const FrameImage> frames) {
    Extent box;
    for (const FrameImage& image : frames) {
        if (!image.found()) continue;
        const Extent e =
            drawn_extent(document.collections[static_cast<std::size_t>(image.collection)]
                             .images[static_cast<std::size_t>(image.slot)]);
        box.width = std::max(box.width, e.width);
        box.height = std::max(box.height, e.height);
    }
    return box;
}

}  // namespace dabro
