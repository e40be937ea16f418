// The checked edit operations every change to a document goes through.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "document/sprite_document.h"

namespace dabro {

// Every change the window and the batch tool make to a document goes through these
// operations, wrapped in the undoable commands of commands/. Each one checks its target against the
// counts in use, writes nothing outside the tables, and returns whether the document changed.

// An image slot of a collection, as the window's lists select it.
struct ImageRef {
    int collection = -1;
    int slot = -1;
};

// The image slot of collection frame `frame` seen from `direction`, or an invalid ref when
// the collection, the frame or the direction is not in use.
ImageRef image_ref(const SpriteDocument& document, int collection, int frame, int direction);
bool is_valid(const SpriteDocument& document, ImageRef ref);

// The outcome of adding to or deleting from a table.
enum class TableEdit {
    Changed,
    Full,      // the table is at its capacity
    Empty,     // there is nothing to delete
    NoTarget,  // the sequence is not in use
};

inline constexpr std::string_view kNewSequenceName = "<new_sequence>";

// A name over 40 bytes keeps as many whole characters as fit (cut_length of name_text.h).
bool set_sequence_name(SpriteDocument& document, int sequence, std::string_view name);
bool set_collection_index(SpriteDocument& document, int sequence, std::uint16_t index);
bool set_image_index(SpriteDocument& document, int sequence, int frame, std::int16_t index);
bool set_frame_value(SpriteDocument& document, int sequence, int frame, std::int32_t value);

// A new last sequence named kNewSequenceName without frames; its collection index and the
// frame entries of the slot stay as the slot last held them.
TableEdit add_sequence(SpriteDocument& document);
// Drops the last sequence; its slot keeps its contents for a later add.
TableEdit delete_sequence(SpriteDocument& document);
// A new last frame of `sequence` with image index 0 and value 0.
TableEdit add_frame(SpriteDocument& document, int sequence);
// Drops the last frame of `sequence`.
TableEdit delete_frame(SpriteDocument& document, int sequence);

bool set_image_width(SpriteDocument& document, ImageRef ref, std::int32_t width);
bool set_image_height(SpriteDocument& document, ImageRef ref, std::int32_t height);
bool set_box(SpriteDocument& document, ImageRef ref, const BoundingBox& box);

// Exchanges the image's data, width and height with `image`'s, so the caller holds what the
// slot held. False, and nothing exchanged, when they are the same or the ref is not in use.
bool exchange_image(SpriteDocument& document, ImageRef ref, EncodedImage& image);

// Palette `slot` (0 to 3) of the collection; palette 0 is the one the preview draws with.
bool set_palette(SpriteDocument& document, int collection, const Palette& palette, int slot = 0);

// Puts back a state of the sequence table: its count and the contents of one slot.
bool restore_sequence(SpriteDocument& document, std::int32_t count, int slot,
                      const Sequence& sequence);

// Everything a collection sheet holds: every image slot in use, each with its size, kind,
// flag and source name, the slots' boxes, and the four palettes.
struct CollectionContent {
    std::vector<CollectionImage> images;
    std::vector<BoundingBox> boxes;
    std::array<Palette, kPalettesPerCollection> palettes{};
};

// Exchanges the collection's content with `content`, so the caller holds what the
// collection held. False, and nothing exchanged, when they are the same, the collection is
// not in use, or `content` does not hold one image and one box per slot in use.
bool exchange_collection_content(SpriteDocument& document, int collection,
                                 CollectionContent& content);

// The document of File > New: see reset() in sprite_document.h.
bool reset_document(Session& session);

}  // namespace dabro
