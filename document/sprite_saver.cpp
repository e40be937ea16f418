#include "document/sprite_saver.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "document/file_layer.h"

namespace dabro {

namespace {

constexpr std::uint8_t kSignature[11] = {'<', 's', 'p', 'r', 'i', 't', 'e', '>', 0, '4', 0};
constexpr std::uint8_t kCollectionTag[12] = {'<', 's', 'p', 'r', 'a', 'n', 'i', 'm', '>', 0, '1', 0};
constexpr std::uint8_t kSectionTag[14] = {'<', 's', 'p', 'r', 'a', 'n', 'i',
                                          'm', '_', 'i', 'm', 'g', '>', 0};
constexpr std::uint8_t kImageLead[15] = {1, 0, 0, 0, 0, 0, 0, 0, 0, '<', 'z', 'a', 'r', '>', 0};
constexpr std::uint8_t kImageTrail[3] = {0, 0, 0};

constexpr std::size_t kHeaderSize = sizeof(kSignature) + 3 + 4 + 4 + 2 + 1 + 4;
constexpr std::size_t kPaletteBytes = 4 + 4 * kPaletteEntries;

// Writes into a buffer sized beforehand, so no write can run past it.
class ByteWriter {
public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    std::size_t position() const { return pos_; }
    void raw(const void* data, std::size_t n) {
        if (n == 0) return;
        std::memcpy(out_.data() + pos_, data, n);
        pos_ += n;
    }
    void u8(std::uint8_t v) { out_[pos_++] = v; }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        std::uint8_t* p = out_.data() + pos_;
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
        p[2] = static_cast<std::uint8_t>(v >> 16);
        p[3] = static_cast<std::uint8_t>(v >> 24);
        pos_ += 4;
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void patch_i32(std::size_t at, std::int32_t v) {
        const std::size_t keep = pos_;
        pos_ = at;
        i32(v);
        pos_ = keep;
    }

private:
    std::vector<std::uint8_t>& out_;
    std::size_t pos_ = 0;
};

std::size_t section_size(const ImageCollection& col) {
    std::size_t size = sizeof(kSectionTag) + 2;
    if (col.imageSectionType == kShortSection) return size + 4;
    size += kPalettesPerCollection * kPaletteBytes;
    const int slots = col.slot_count();
    for (int k = 0; k < slots; ++k)
        size += sizeof(kImageLead) + 15 + col.images[static_cast<std::size_t>(k)].data.size() +
                sizeof(kImageTrail);
    return size;
}

}  // namespace

HeaderValues header_of(const SpriteDocument& document) {
    HeaderValues h;
    h.dimensions = document.dimensions;
    h.centerX = document.centerX;
    h.centerY = document.centerY;
    h.headerWord = document.headerWord;
    h.headerByte = document.headerByte;
    return h;
}

Status encode_sprite(const SpriteDocument& doc, const HeaderValues& header,
                     std::vector<std::uint8_t>& bytes) {
    const int sequenceCount = std::clamp(doc.sequenceCount, 0, kMaxSequences);
    const int collectionCount = std::clamp(doc.collectionCount, 0, kMaxCollections);

    std::size_t size = kHeaderSize + 4;
    for (int s = 0; s < sequenceCount; ++s) {
        const Sequence& seq = doc.sequences[static_cast<std::size_t>(s)];
        size += 10 + 6 * static_cast<std::size_t>(std::clamp(seq.frameCount, 0, kMaxSequenceFrames)) +
                seq.name.size();
    }
    for (int c = 0; c < collectionCount; ++c) {
        const ImageCollection& col = doc.collections[static_cast<std::size_t>(c)];
        if (col.imageSectionType != kReadableSection && col.imageSectionType != kShortSection)
            return Status::failure("Collection " + std::to_string(c) + " '" + col.name.str() +
                                   "' holds images that could not be read, so it cannot be saved");
        size += 28 + col.name.size() + 16 * static_cast<std::size_t>(col.slot_count());
        size += section_size(col);
    }
    if (size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return Status::failure("The sprite is too large for the file format (" +
                               std::to_string(size) + " bytes)");

    bytes.resize(size);
    ByteWriter w(bytes);
    w.raw(kSignature, sizeof(kSignature));
    for (std::uint8_t d : header.dimensions) w.u8(d);
    w.i32(header.centerX);
    w.i32(header.centerY);
    w.u16(header.headerWord);
    w.u8(header.headerByte);
    w.i32(sequenceCount);

    for (int s = 0; s < sequenceCount; ++s) {
        const Sequence& seq = doc.sequences[static_cast<std::size_t>(s)];
        const int n = std::clamp(seq.frameCount, 0, kMaxSequenceFrames);
        w.i32(n);
        for (int i = 0; i < n; ++i)
            w.u16(static_cast<std::uint16_t>(seq.imageIndex[static_cast<std::size_t>(i)]));
        for (int i = 0; i < n; ++i) w.i32(seq.frameValue[static_cast<std::size_t>(i)]);
        w.i32(static_cast<std::int32_t>(seq.name.size()));
        w.raw(seq.name.view().data(), seq.name.size());
        w.u16(seq.collectionIndex);
    }

    w.i32(collectionCount);
    std::array<std::size_t, kMaxCollections> offsetField{};
    for (int c = 0; c < collectionCount; ++c) {
        const ImageCollection& col = doc.collections[static_cast<std::size_t>(c)];
        w.raw(kCollectionTag, sizeof(kCollectionTag));
        offsetField[static_cast<std::size_t>(c)] = w.position();
        w.i32(static_cast<std::int32_t>(w.position()));
        w.i32(static_cast<std::int32_t>(col.name.size()));
        w.raw(col.name.view().data(), col.name.size());
        w.i32(col.frames);
        w.i32(col.directions);
        const int slots = col.slot_count();
        for (int k = 0; k < slots; ++k) {
            const BoundingBox& box = col.boxes[static_cast<std::size_t>(k)];
            w.i32(box.left);
            w.i32(box.top);
            w.i32(box.right);
            w.i32(box.bottom);
        }
    }

    for (int c = 0; c < collectionCount; ++c) {
        const ImageCollection& col = doc.collections[static_cast<std::size_t>(c)];
        w.patch_i32(offsetField[static_cast<std::size_t>(c)], static_cast<std::int32_t>(w.position()));
        w.raw(kSectionTag, sizeof(kSectionTag));
        w.u8(static_cast<std::uint8_t>(col.imageSectionType));
        w.u8(0);
        if (col.imageSectionType == kShortSection) {
            w.i32(col.compressedSectionValue);
            continue;
        }
        for (const Palette& palette : col.palettes) {
            w.i32(kPaletteEntries);
            for (std::uint32_t entry : palette) w.u32(entry);
        }
        const int slots = col.slot_count();
        for (int k = 0; k < slots; ++k) {
            const CollectionImage& image = col.images[static_cast<std::size_t>(k)];
            w.raw(kImageLead, sizeof(kImageLead));
            w.u8(image.kind);
            w.u8(0);
            w.i32(image.width);
            w.i32(image.height);
            w.u8(image.flag);
            w.i32(static_cast<std::int32_t>(image.data.size()));
            w.raw(image.data.data(), image.data.size());
            w.raw(kImageTrail, sizeof(kImageTrail));
        }
    }
    return Status::success();
}

Status save_sprite(const std::string& path, const SpriteDocument& document,
                   const HeaderValues& header) {
    std::vector<std::uint8_t> bytes;
    if (Status s = encode_sprite(document, header, bytes); !s.ok()) return s;
    return write_file_atomically(path, bytes);
}

}  // namespace dabro
