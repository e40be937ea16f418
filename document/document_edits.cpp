// The checked edit operations every change to a document goes through.
#include "document/document_edits.h"

#include <utility>

#include "document/name_text.h"

namespace dabro {
namespace {

template <typename T>
bool assign(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}

CollectionImage* image_at(SpriteDocument& document, ImageRef ref) {
    if (!is_valid(document, ref)) return nullptr;
    return &document.collections[ref.collection].images[ref.slot];
}

}  // namespace

ImageRef image_ref(const SpriteDocument& document, int collection, int frame, int direction) {
    if (!collection_in_use(document, collection)) return {};
    const int slot = document.collections[collection].slot_of(frame, direction);
    if (slot < 0) return {};
    return {collection, slot};
}

bool is_valid(const SpriteDocument& document, ImageRef ref) {
    if (!collection_in_use(document, ref.collection)) return false;
    return ref.slot >= 0 && ref.slot < document.collections[ref.collection].slot_count();
}

bool set_sequence_name(SpriteDocument& document, int sequence, std::string_view name) {
    if (!sequence_in_use(document, sequence)) return false;
    Sequence& s = document.sequences[sequence];
    // A longer name keeps its first bytes, without half a character at the end.
    const std::string_view kept = name.substr(0, cut_length(name, kMaxNameLength));
    const ShortName<kMaxNameLength> cut(kept);
    if (s.name == cut && s.nameLength == static_cast<std::int32_t>(cut.size())) return false;
    s.set_name(kept);
    return true;
}

bool set_collection_index(SpriteDocument& document, int sequence, std::uint16_t index) {
    if (!sequence_in_use(document, sequence)) return false;
    return assign(document.sequences[sequence].collectionIndex, index);
}

bool set_image_index(SpriteDocument& document, int sequence, int frame, std::int16_t index) {
    if (!frame_in_use(document, sequence, frame)) return false;
    return assign(document.sequences[sequence].imageIndex[frame], index);
}

bool set_frame_value(SpriteDocument& document, int sequence, int frame, std::int32_t value) {
    if (!frame_in_use(document, sequence, frame)) return false;
    return assign(document.sequences[sequence].frameValue[frame], value);
}

TableEdit add_sequence(SpriteDocument& document) {
    if (document.sequenceCount >= kMaxSequences) return TableEdit::Full;
    // A count below zero never comes from a file the loader accepts; start the table afresh.
    if (document.sequenceCount < 0) document.sequenceCount = 0;
    Sequence& s = document.sequences[document.sequenceCount];
    ++document.sequenceCount;
    s.set_name(kNewSequenceName);
    s.frameCount = 0;
    return TableEdit::Changed;
}

TableEdit delete_sequence(SpriteDocument& document) {
    if (document.sequenceCount <= 0) return TableEdit::Empty;
    --document.sequenceCount;
    return TableEdit::Changed;
}

TableEdit add_frame(SpriteDocument& document, int sequence) {
    if (!sequence_in_use(document, sequence)) return TableEdit::NoTarget;
    Sequence& s = document.sequences[sequence];
    if (s.frameCount >= kMaxSequenceFrames) return TableEdit::Full;
    if (s.frameCount < 0) s.frameCount = 0;
    s.imageIndex[s.frameCount] = 0;
    s.frameValue[s.frameCount] = 0;
    ++s.frameCount;
    return TableEdit::Changed;
}

TableEdit delete_frame(SpriteDocument& document, int sequence) {
    if (!sequence_in_use(document, sequence)) return TableEdit::NoTarget;
    Sequence& s = document.sequences[sequence];
    if (s.frameCount <= 0) return TableEdit::Empty;
    --s.frameCount;
    return TableEdit::Changed;
}

bool set_image_width(SpriteDocument& document, ImageRef ref, std::int32_t width) {
    CollectionImage* image = image_at(document, ref);
    return image != nullptr && assign(image->width, width);
}

bool set_image_height(SpriteDocument& document, ImageRef ref, std::int32_t height) {
    CollectionImage* image = image_at(document, ref);
    return image != nullptr && assign(image->height, height);
}

bool set_box(SpriteDocument& document, ImageRef ref, const BoundingBox& box) {
    if (!is_valid(document, ref)) return false;
    return assign(document.collections[ref.collection].boxes[ref.slot], box);
}

bool exchange_image(SpriteDocument& document, ImageRef ref, EncodedImage& image) {
    CollectionImage* slot = image_at(document, ref);
    if (slot == nullptr) return false;
    const auto held = static_cast<std::int32_t>(image.data.size());
    if (slot->width == image.width && slot->height == image.height && slot->dataLength == held &&
        slot->data == image.data)
        return false;
    std::swap(slot->data, image.data);
    std::swap(slot->width, image.width);
    std::swap(slot->height, image.height);
    slot->dataLength = static_cast<std::int32_t>(slot->data.size());
    return true;
}

bool set_palette(SpriteDocument& document, int collection, const Palette& palette, int slot) {
    if (!collection_in_use(document, collection)) return false;
    if (slot < 0 || slot >= kPalettesPerCollection) return false;
    return assign(document.collections[collection].palettes[slot], palette);
}

bool restore_sequence(SpriteDocument& document, std::int32_t count, int slot,
                      const Sequence& sequence) {
    if (slot < 0 || slot >= kMaxSequences) return false;
    const bool changed = document.sequenceCount != count || document.sequences[slot] != sequence;
    document.sequenceCount = count;
    document.sequences[slot] = sequence;
    return changed;
}

bool exchange_collection_content(SpriteDocument& document, int collection,
                                 CollectionContent& content) {
    if (!collection_in_use(document, collection)) return false;
    ImageCollection& col = document.collections[collection];
    const auto slots = static_cast<std::size_t>(col.slot_count());
    if (content.images.size() != slots || content.boxes.size() != slots) return false;
    bool same = col.palettes == content.palettes;
    for (std::size_t k = 0; same && k < slots; ++k)
        same = col.boxes[k] == content.boxes[k] && col.images[k] == content.images[k];
    if (same) return false;
    std::swap(col.palettes, content.palettes);
    for (std::size_t k = 0; k < slots; ++k) {
        std::swap(col.boxes[k], content.boxes[k]);
        std::swap(col.images[k], content.images[k]);
        col.images[k].dataLength = static_cast<std::int32_t>(col.images[k].data.size());
    }
    return true;
}

bool reset_document(Session& session) {
    const SpriteDocument& d = session.document;
    const bool changed = !session.currentFileName.empty() ||
                         d.dimensions != decltype(d.dimensions){} || d.centerX != 0 ||
                         d.centerY != 0 || d.headerWord != 0 || d.headerByte != 0 ||
                         d.sequenceCount != 0 || d.collectionCount != 0;
    reset(session);
    return changed;
}

}  // namespace dabro
