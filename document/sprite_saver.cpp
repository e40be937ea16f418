// Writing a document as a sprite file.
#include "document/sprite_saver.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "document/file_layer.h"
#include "document/sprite_layout.h"

namespace dabro {

namespace {

using namespace layout;

// Collects the bytes in a buffer of its own and hands them to the sink a buffer at a time,
// so that a file of any size is written with one small buffer. After a failed write it
// drops everything and keeps the failure for finish().
class ChunkWriter {
  public:
    explicit ChunkWriter(ByteSink& sink)
        : sink_(sink), buffer_(std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize)) {}

    std::size_t position() const { return position_; }

    void raw(const void* data, std::size_t n) {
        position_ += n;
        const auto* from = static_cast<const std::uint8_t*>(data);
        while (n > 0 && status_.ok()) {
            if (used_ == kBufferSize) flush();
            const std::size_t k = std::min(n, kBufferSize - used_);
            std::memcpy(buffer_.get() + used_, from, k);
            used_ += k;
            from += k;
            n -= k;
        }
    }
    template <std::size_t N>
    void raw(const std::array<std::uint8_t, N>& bytes) {
        raw(bytes.data(), N);
    }
    void u8(std::uint8_t v) { raw(&v, 1); }
    void u16(std::uint16_t v) {
        const std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
        raw(b, sizeof(b));
    }
    void u32(std::uint32_t v) {
        const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                   static_cast<std::uint8_t>(v >> 16),
                                   static_cast<std::uint8_t>(v >> 24)};
        raw(b, sizeof(b));
    }
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }

    Status finish() {
        flush();
        return status_;
    }

  private:
    static constexpr std::size_t kBufferSize = 128 * 1024;

    void flush() {
        if (used_ > 0 && status_.ok()) status_ = sink_.write({buffer_.get(), used_});
        used_ = 0;
    }

    ByteSink& sink_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t used_ = 0;
    std::size_t position_ = 0;
    Status status_;
};

std::size_t section_size(const ImageCollection& col) {
    if (col.imageSectionType == kShortSection) return kShortSectionSize;
    std::size_t size = kSectionStartSize + kPalettesPerCollection * kPaletteSize;
    const int slots = col.slot_count();
    for (int k = 0; k < slots; ++k)
        size += image_entry_size(col.images[static_cast<std::size_t>(k)].data.size());
    return size;
}

// Where every image section will start, worked out before a byte is written, so the file
// can be written front to back in one go.
struct Layout {
    int sequenceCount = 0;
    int collectionCount = 0;
    std::array<std::int32_t, kMaxCollections> sectionOffset{};
    std::size_t size = 0;
};

Status plan(const SpriteDocument& doc, Layout& layout) {
    layout.sequenceCount = std::clamp(doc.sequenceCount, 0, kMaxSequences);
    layout.collectionCount = std::clamp(doc.collectionCount, 0, kMaxCollections);

    std::size_t size = kHeaderSize + kI32;
    for (int s = 0; s < layout.sequenceCount; ++s) {
        const Sequence& seq = doc.sequences[static_cast<std::size_t>(s)];
        size += sequence_size(
            static_cast<std::size_t>(std::clamp(seq.frameCount, 0, kMaxSequenceFrames)),
            seq.name.size());
    }
    std::array<std::size_t, kMaxCollections> sections{};
    for (int c = 0; c < layout.collectionCount; ++c) {
        const ImageCollection& col = doc.collections[static_cast<std::size_t>(c)];
        if (col.imageSectionType != kReadableSection && col.imageSectionType != kShortSection)
            return Status::failure("Collection " + std::to_string(c) + " '" + col.name.str() +
                                   "' holds images that could not be read, so it cannot be saved");
        size += collection_header_size(col.name.size(), static_cast<std::size_t>(col.slot_count()));
        sections[static_cast<std::size_t>(c)] = section_size(col);
    }
    std::array<std::size_t, kMaxCollections> offsets{};
    for (int c = 0; c < layout.collectionCount; ++c) {
        offsets[static_cast<std::size_t>(c)] = size;
        size += sections[static_cast<std::size_t>(c)];
    }
    if (size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return Status::failure("The sprite is too large for the file format (" +
                               std::to_string(size) + " bytes)");
    // Every offset is below the size, so each fits the 32-bit field.
    for (int c = 0; c < layout.collectionCount; ++c)
        layout.sectionOffset[static_cast<std::size_t>(c)] =
            static_cast<std::int32_t>(offsets[static_cast<std::size_t>(c)]);
    layout.size = size;
    return Status::success();
}

void write_document(const SpriteDocument& doc, const HeaderValues& header, const Layout& layout,
                    ChunkWriter& w) {
    w.raw(kSignature);
    for (std::uint8_t d : header.dimensions) w.u8(d);
    w.i32(header.centerX);
    w.i32(header.centerY);
    w.u16(header.headerWord);
    w.u8(header.headerByte);
    w.i32(layout.sequenceCount);

    for (int s = 0; s < layout.sequenceCount; ++s) {
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

    w.i32(layout.collectionCount);
    for (int c = 0; c < layout.collectionCount; ++c) {
        const ImageCollection& col = doc.collections[static_cast<std::size_t>(c)];
        w.raw(kCollectionTag);
        w.i32(layout.sectionOffset[static_cast<std::size_t>(c)]);
        w.i32(static_cast<std::int32_t>(col.name.size()));
        w.raw(col.name.view().data(), col.name.size());
        w.i32(col.frames);
        w.i32(col.directions);
        const int slots = col.slot_count();
        for (int k = 0; k < slots; ++k) {
            const BoundingBox& box = col.boxes[static_cast<std::size_t>(k)];
            for (std::int32_t side : {box.left, box.top, box.right, box.bottom}) w.i32(side);
        }
    }

    for (int c = 0; c < layout.collectionCount; ++c) {
        const ImageCollection& col = doc.collections[static_cast<std::size_t>(c)];
        w.raw(kSectionTag);
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
            w.raw(kImageLead);
            w.u8(image.kind);
            w.u8(0);
            w.i32(image.width);
            w.i32(image.height);
            w.u8(image.flag);
            w.i32(static_cast<std::int32_t>(image.data.size()));
            w.raw(image.data.data(), image.data.size());
            w.raw(kImageTrail);
        }
    }
}

Status encode_to(const SpriteDocument& document, const HeaderValues& header, const Layout& layout,
                 ByteSink& sink) {
    ChunkWriter w(sink);
    write_document(document, header, layout, w);
    if (Status s = w.finish(); !s.ok()) return s;
    // The plan and the writing both follow sprite_layout.h; if they part, the program is wrong,
    // not the document.
    if (w.position() != layout.size)
        return Status::failure("Internal error: the sprite was planned as " +
                               std::to_string(layout.size) + " bytes but written as " +
                               std::to_string(w.position()));
    return Status::success();
}

}  // namespace

HeaderValues header_of(const SpriteDocument& document) {
    return document;
}

// The document is written straight to the file a buffer at a time, never laid out whole in
// memory first: for a large sprite that would double the memory the save touches.
Status save_sprite(const std::string& path, const SpriteDocument& document,
                   const HeaderValues& header) {
    Layout layout;
    if (Status s = plan(document, layout); !s.ok()) return s;
    return write_file_atomically(
        path, [&](ByteSink& sink) { return encode_to(document, header, layout, sink); });
}

}  // namespace dabro
