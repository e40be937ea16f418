#include "support/sprite_builder.h"

#include "imaging/halve.h"
#include "interchange/raw_import.h"

#include "document/sprite_layout.h"
#include "support/memory_files.h"

namespace dabro::test {

namespace {

// A small deterministic generator, so every run builds the same documents.
class Lcg {
  public:
    explicit Lcg(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}
    std::uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

  private:
    std::uint32_t state_;
};

}  // namespace

Bytes& Bytes::u8(std::uint8_t v) {
    bytes_.push_back(v);
    return *this;
}

Bytes& Bytes::u16(std::uint16_t v) {
    return u8(static_cast<std::uint8_t>(v)).u8(static_cast<std::uint8_t>(v >> 8));
}

Bytes& Bytes::i32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) u8(static_cast<std::uint8_t>(u >> (8 * i)));
    return *this;
}

Bytes& Bytes::raw(std::string_view text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
}

Bytes& Bytes::raw(std::span<const std::uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

Bytes& Bytes::zeros(std::size_t n) {
    bytes_.insert(bytes_.end(), n, 0);
    return *this;
}

Bytes& Bytes::signature() {
    return raw(layout::kSignature);
}

Bytes& Bytes::header(std::int32_t sequenceCount) {
    return zeros(layout::kHeaderSize - layout::kSignature.size() - layout::kI32).i32(sequenceCount);
}

Bytes& Bytes::collection_tag() {
    return raw(layout::kCollectionTag);
}

Bytes& Bytes::section_start(char type) {
    return raw(layout::kSectionTag).u8(static_cast<std::uint8_t>(type)).u8(0);
}

Bytes& Bytes::image_entry(std::uint8_t kind, std::int32_t width, std::int32_t height,
                          std::uint8_t flag, const std::vector<std::uint8_t>& data) {
    raw(layout::kImageLead).u8(kind).u8(0).i32(width).i32(height).u8(flag);
    return i32(static_cast<std::int32_t>(data.size())).raw(data).raw(layout::kImageTrail);
}

void Bytes::patch_i32(std::size_t at, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        bytes_.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(u >> (8 * i));
}

std::vector<std::uint8_t> mixed_rle(int width, int height, std::uint32_t seed) {
    Lcg rng(seed);
    std::vector<std::uint8_t> out;
    long long pixels = static_cast<long long>(width) * height;
    while (pixels > 0) {
        const int kind = rng.below(4);
        int count = rng.below(8) == 0 ? 0 : 1 + rng.below(6);
        if (count > pixels) count = static_cast<int>(pixels);
        out.push_back(static_cast<std::uint8_t>(count << 2 | kind));
        for (int i = 0; i < count; ++i) {
            if (kind == 1 || kind == 2) out.push_back(static_cast<std::uint8_t>(rng.next()));
            if (kind == 2 || kind == 3) out.push_back(static_cast<std::uint8_t>(rng.next()));
        }
        pixels -= count;
    }
    return out;
}

Status load_bytes(std::span<const std::uint8_t> bytes, const std::string& path, Session& session,
                  LoadReport* report) {
    MemoryFiles files;
    files.put(path, bytes);
    return load_sprite(path, session, report);
}

std::unique_ptr<SpriteDocument> make_document(const DocumentShape& shape) {
    auto doc = std::make_unique<SpriteDocument>();
    Lcg rng(shape.seed);
    doc->dimensions = {static_cast<std::uint8_t>(rng.next()), static_cast<std::uint8_t>(rng.next()),
                       static_cast<std::uint8_t>(rng.next())};
    doc->centerX = static_cast<std::int32_t>(rng.next()) - 0x400000;
    doc->centerY = -static_cast<std::int32_t>(rng.below(1000));
    doc->headerWord = static_cast<std::uint16_t>(rng.next());
    doc->headerByte = static_cast<std::uint8_t>(rng.next());

    auto text = [&](int length) {
        std::string s;
        for (int i = 0; i < length; ++i) s += static_cast<char>(rng.below(256));
        return s;
    };

    doc->sequenceCount = shape.sequences;
    for (int s = 0; s < shape.sequences; ++s) {
        Sequence& seq = doc->sequences[static_cast<std::size_t>(s)];
        seq.frameCount = shape.framesPerSequence;
        for (int i = 0; i < shape.framesPerSequence; ++i) {
            seq.imageIndex[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(rng.next());
            seq.frameValue[static_cast<std::size_t>(i)] =
                static_cast<std::int32_t>(rng.next() * 977u);
        }
        seq.set_name(text(shape.nameLength));
        seq.collectionIndex = static_cast<std::uint16_t>(rng.next());
    }

    doc->collectionCount = static_cast<std::int32_t>(shape.collections.size());
    for (std::size_t c = 0; c < shape.collections.size(); ++c) {
        const CollectionShape& cs = shape.collections[c];
        ImageCollection& col = doc->collections[c];
        col.set_name(text(shape.nameLength));
        col.frames = cs.frames;
        col.directions = cs.directions;
        col.imageSectionType = cs.sectionType;
        const int slots = col.slot_count();
        for (int k = 0; k < slots; ++k) {
            BoundingBox& box = col.boxes[static_cast<std::size_t>(k)];
            box = {rng.below(200) - 100, rng.below(200) - 100, rng.below(300), rng.below(300)};
        }
        if (cs.sectionType != kReadableSection) continue;
        for (Palette& palette : col.palettes)
            for (std::uint32_t& entry : palette) entry = rng.next() & 0xFFFFFF;
        for (int k = 0; k < slots; ++k) {
            CollectionImage& image = col.images[static_cast<std::size_t>(k)];
            image.kind = static_cast<std::uint8_t>(rng.next());
            image.flag = static_cast<std::uint8_t>(rng.next());
            image.width = shape.imageWidth;
            image.height = shape.imageHeight;
            image.set_data(mixed_rle(shape.imageWidth, shape.imageHeight, rng.next()));
        }
    }
    return doc;
}

namespace {

Status take(CollectionImage& image, Status status, EncodedImage& result) {
    if (status.ok()) {
        image.set_data(std::move(result.data));
        image.width = result.width;
        image.height = result.height;
    }
    return status;
}

}  // namespace

Status halve_in_place(CollectionImage& image) {
    EncodedImage halved;
    return take(image, halve_image(image, halved), halved);
}

Status load_raw_into(CollectionImage& image, const std::string& path) {
    EncodedImage loaded{{}, image.width, image.height};
    return take(image, load_raw_image(path, loaded.data), loaded);
}

Status import_by_name_into(CollectionImage& image, Palette& palette, const std::string& path) {
    EncodedImage imported;
    return take(image, import_raw_by_name(path, imported, palette), imported);
}

}  // namespace dabro::test
