// The sprite document in memory, the session that holds it, and its in-use rules.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/limits.h"
#include "document/status.h"

namespace dabro {

// A name of 0 to N single-byte characters held with its length. Assigning a longer text
// keeps its first N characters.
template <std::size_t N>
class ShortName {
  public:
    ShortName() = default;
    explicit ShortName(std::string_view text) { assign(text); }

    void assign(std::string_view text) {
        length_ = static_cast<std::uint8_t>(text.size() < N ? text.size() : N);
        chars_.fill('\0');
        for (std::size_t i = 0; i < length_; ++i) chars_[i] = text[i];
    }
    std::string_view view() const { return {chars_.data(), length_}; }
    std::string str() const { return std::string(view()); }
    std::size_t size() const { return length_; }
    bool empty() const { return length_ == 0; }
    static constexpr std::size_t capacity() { return N; }

    bool operator==(const ShortName&) const = default;

  private:
    std::array<char, N> chars_{};
    std::uint8_t length_ = 0;
};

struct BoundingBox {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool operator==(const BoundingBox&) const = default;
};

// 256 colours 0x00RRGGBB.
using Palette = std::array<std::uint32_t, kPaletteEntries>;

struct CollectionImage {
    std::uint8_t kind = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint8_t flag = 0;
    std::int32_t dataLength = 0;
    std::vector<std::uint8_t> data;  // run-length encoded pixels, dataLength bytes
    ShortName<kMaxSourceNameLength> sourceName;

    // Gives the slot new pixel data, keeping dataLength equal to its size.
    void set_data(std::vector<std::uint8_t> encoded) {
        data = std::move(encoded);
        dataLength = static_cast<std::int32_t>(data.size());
    }
    bool operator==(const CollectionImage&) const = default;
};

// Encoded pixels with the size they are laid out in: what the image tools produce and what
// replaces an image's own.
struct EncodedImage {
    std::vector<std::uint8_t> data;
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const EncodedImage&) const = default;
};

struct Sequence {
    std::int32_t frameCount = 0;
    std::array<std::int16_t, kMaxSequenceFrames> imageIndex{};
    std::array<std::int32_t, kMaxSequenceFrames> frameValue{};
    std::int32_t nameLength = 0;
    ShortName<kMaxNameLength> name;
    std::uint16_t collectionIndex = 0;

    void set_name(std::string_view text) {
        name.assign(text);
        nameLength = static_cast<std::int32_t>(name.size());
    }
    bool operator==(const Sequence&) const = default;
};

inline constexpr char kReadableSection = '1';
inline constexpr char kShortSection = ' ';
// Why a collection whose images were not read cannot be drawn, exported or replaced.
inline constexpr const char* kUnreadableImages =
    "Sprite with compressed images. Images unaccesible";

struct ImageCollection {
    std::int32_t imageSectionOffset = 0;
    std::int32_t nameLength = 0;
    ShortName<kMaxNameLength> name;
    std::int32_t frames = 0;
    std::int32_t directions = 0;
    std::array<BoundingBox, kMaxImageSlots> boxes{};
    char imageSectionType = '\0';
    std::int32_t compressedSectionValue = 0;
    std::array<Palette, kPalettesPerCollection> palettes{};
    std::array<CollectionImage, kMaxImageSlots> images{};
    ShortName<kMaxSourceNameLength> sourceName;

    void set_name(std::string_view text) {
        name.assign(text);
        nameLength = static_cast<std::int32_t>(name.size());
    }
    // Whether the images and palettes were read: only those can be drawn or replaced.
    bool images_readable() const { return imageSectionType == kReadableSection; }
    // Image slots in use: frames x directions, or 0 when either is not positive.
    int slot_count() const;
    // The slot of frame f seen from direction d, or -1 when it is not a slot in use.
    int slot_of(int frame, int direction) const;
    bool operator==(const ImageCollection&) const = default;
};

// The sprite file's header values: the document's, and those a save writes (the window takes
// them from its header fields, the batch tool from the document).
struct SpriteHeader {
    std::array<std::uint8_t, 3> dimensions{};
    std::int32_t centerX = 0;
    std::int32_t centerY = 0;
    std::uint16_t headerWord = 0;
    std::uint8_t headerByte = 0;
    bool operator==(const SpriteHeader&) const = default;
};

// The one sprite the program holds: its header, then tables of a fixed number of slots; the
// counts say which are in use. Slots beyond the counts keep whatever they last held.
struct SpriteDocument : SpriteHeader {
    std::int32_t sequenceCount = 0;
    std::array<Sequence, kMaxSequences> sequences{};
    std::int32_t collectionCount = 0;
    std::array<ImageCollection, kMaxCollections> collections{};

    bool operator==(const SpriteDocument&) const = default;
};

// The document with the state the program keeps beside it.
struct Session {
    SpriteDocument document;
    std::string currentFileName;
    bool imagesReadable = false;
};

// Which slots are in use, for every part of the program that addresses them. The image
// slots of a collection: ImageCollection::slot_of and slot_count.
bool sequence_in_use(const SpriteDocument& document, int sequence);
bool frame_in_use(const SpriteDocument& document, int sequence, int frame);
bool collection_in_use(const SpriteDocument& document, int collection);

// The readable-collection rule: a collection in use whose images and palettes were read is
// the only kind whose images can be drawn, exported or replaced. The check fails with
// kUnreadableImages.
bool readable_collection(const SpriteDocument& document, int collection);
Status check_readable_collection(const SpriteDocument& document, int collection);

// The document is about 20 MB, so it always lives on the heap.
std::unique_ptr<Session> make_session();

// The process-wide session that the window and the batch tool work on.
Session& the_session();

// Empties the file name, zeroes the header values and both counts. Slots keep their
// contents and imagesReadable keeps its value.
void reset(Session& session);

// The file name without its folder, cut to the source-name capacity; a name in UTF-8 is cut
// before the character that would not fit whole.
ShortName<kMaxSourceNameLength> source_name_of(std::string_view path);

}  // namespace dabro
