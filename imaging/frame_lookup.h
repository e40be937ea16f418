// Frame lookup: which image each frame of a sequence shows, and the size it draws at.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "document/sprite_document.h"
#include "imaging/render.h"

namespace dabro {

// Why a frame has no image.
enum class NoImage {
    None,  // it has one
    NoSequence,
    NoSequenceFrame,
    NoCollection,
    NoCollectionFrame,
    NoDirection,
    BeyondSlots,
    Unreadable,   // the sprite's images cannot be read
    NotSelected,  // no image is selected
};

// Where one frame of a sequence (or one image picked in a collection) takes its picture
// from. An empty cell has slot -1, why it has none, and a reason that says so to the user;
// looking up a frame never fails, whatever the document holds.
struct FrameImage {
    int collection = -1;
    int collectionFrame = -1;
    int direction = -1;
    int slot = -1;
    std::int32_t frameValue = 0;
    NoImage missing = NoImage::None;
    std::string reason;
    bool found() const { return slot >= 0; }
};

// The frames sequence `sequence` has: its frameCount within 0..100, or 0 when the
// sequence is not in use.
int sequence_length(const SpriteDocument& document, int sequence);

// Frame `frame` of sequence `sequence` seen from `direction`: collection frame
// imageIndex[frame] of the sequence's collection (its collectionIndex), image slot
// collection frame x directions + direction.
FrameImage sequence_frame_image(const SpriteDocument& document, int sequence, int frame,
                                int direction);

// Collection frame `frame` of collection `collection` seen from `direction`.
FrameImage collection_image(const SpriteDocument& document, int collection, int frame,
                            int direction);

// The size of an image that a drawing covers: its width and height, or, when the data are
// too short to back them, the part the data reach; at most kMaxLayerSide a side.
Extent drawn_extent(const CollectionImage& image);

// The box that frames of several sizes share: the largest drawn extent of the found ones, so
// each frame keeps its place.
Extent content_box(const SpriteDocument& document, std::span<const FrameImage> frames);

}  // namespace dabro
