#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/sprite_document.h"
#include "document/sprite_loader.h"
#include "document/status.h"

namespace dabro::test {

// Appends little-endian fields, for building files by hand, hostile ones included.
class Bytes {
  public:
    Bytes& u8(std::uint8_t v);
    Bytes& u16(std::uint16_t v);
    Bytes& i32(std::int32_t v);
    Bytes& u32(std::uint32_t v) { return i32(static_cast<std::int32_t>(v)); }
    Bytes& raw(std::string_view text);
    Bytes& raw(std::span<const std::uint8_t> bytes);
    Bytes& zeros(std::size_t n);
    Bytes& name(std::string_view text) {
        return i32(static_cast<std::int32_t>(text.size())).raw(text);
    }

    // The pieces of the layout.
    Bytes& signature();
    Bytes& header(std::int32_t sequenceCount);  // all-zero header values
    Bytes& collection_tag();
    Bytes& section_start(char type);  // section tag, type, pad byte
    Bytes& image_entry(std::uint8_t kind, std::int32_t width, std::int32_t height,
                       std::uint8_t flag, const std::vector<std::uint8_t>& data);

    std::size_t size() const { return bytes_.size(); }
    const std::vector<std::uint8_t>& get() const { return bytes_; }
    void patch_i32(std::size_t at, std::int32_t v);

  private:
    std::vector<std::uint8_t> bytes_;
};

struct CollectionShape {
    int frames = 1;
    int directions = 1;
    char sectionType = kReadableSection;
};

struct DocumentShape {
    int sequences = 2;
    int framesPerSequence = 3;
    int nameLength = 8;
    std::vector<CollectionShape> collections = {{2, 4}};
    int imageWidth = 6;
    int imageHeight = 5;
    std::uint32_t seed = 1;
};

inline void PrintTo(const DocumentShape& s, std::ostream* os) {
    *os << s.sequences << " sequences of " << s.framesPerSequence << " frames, "
        << s.collections.size() << " collections, seed " << s.seed;
}

// Encoded data for a width x height image in which commands of every kind and count 0
// appear, some running past the end of a row.
std::vector<std::uint8_t> mixed_rle(int width, int height, std::uint32_t seed);

// Loads `bytes` as the file at `path` through the in-memory file layer, the loader's one way
// in, as File > Open would load them from the disk.
Status load_bytes(std::span<const std::uint8_t> bytes, const std::string& path, Session& session,
                  LoadReport* report = nullptr);

// The image tools applied to an image in place, for tests that compare the image after.
Status halve_in_place(CollectionImage& image);
Status load_raw_into(CollectionImage& image, const std::string& path);
Status import_by_name_into(CollectionImage& image, Palette& palette, const std::string& path);

// A document with deterministic pseudo-random contents of the given shape.
std::unique_ptr<SpriteDocument> make_document(const DocumentShape& shape);

}  // namespace dabro::test
