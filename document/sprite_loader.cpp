#include "document/sprite_loader.h"

#include <algorithm>
#include <array>
#include <string>

#include "document/byte_reader.h"
#include "document/file_layer.h"

namespace dabro {

namespace {

constexpr std::array<std::uint8_t, kSignatureSize> kSignature = {'<', 's', 'p', 'r', 'i', 't',
                                                                  'e', '>', 0,   '4', 0};
constexpr std::size_t kCollectionTagSize = 12;
constexpr std::size_t kSectionTagSize = 14;
constexpr std::size_t kImageLeadSize = 9 + 6;
constexpr std::size_t kImageTrailSize = 3;

Status short_read() { return Status::file_error(kReadBeyondEnd); }

Status out_of_range(const std::string& what, long long value, long long low, long long high) {
    return Status::failure(what + " " + std::to_string(value) + " is out of range " +
                           std::to_string(low) + " to " + std::to_string(high));
}

// One pass over the file. With `out` null it only checks that every count, length and size
// is within the document's capacities and the file's bytes; with `out` set it also stores
// what it reads. The second pass runs only after the first succeeded, so it cannot fail.
class Walk {
public:
    Walk(std::span<const std::uint8_t> bytes, std::string_view sourcePath, SpriteDocument* out,
         bool& imagesReadable, LoadReport& report)
        : r_(bytes), source_(source_name_of(sourcePath)), out_(out), imagesReadable_(imagesReadable),
          report_(report) {}

    Status run() {
        r_.skip(kSignatureSize);
        if (Status s = header(); !s.ok()) return s;
        for (int s = 0; s < sequenceCount_; ++s)
            if (Status st = sequence(s); !st.ok()) return st;
        const std::int32_t count = r_.i32();
        if (!r_.ok()) return short_read();
        if (count < 0 || count > kMaxCollections)
            return out_of_range("Collection count", count, 0, kMaxCollections);
        collectionCount_ = count;
        if (out_) out_->collectionCount = count;
        for (int c = 0; c < collectionCount_; ++c)
            if (Status s = collection_header(c); !s.ok()) return s;
        return image_sections();
    }

private:
    Status header() {
        std::array<std::uint8_t, 3> dimensions{};
        for (auto& d : dimensions) d = r_.u8();
        const std::int32_t centerX = r_.i32();
        const std::int32_t centerY = r_.i32();
        const std::uint16_t word = r_.u16();
        const std::uint8_t byte = r_.u8();
        const std::int32_t count = r_.i32();
        if (!r_.ok()) return short_read();
        if (count < 0 || count > kMaxSequences)
            return out_of_range("Sequence count", count, 0, kMaxSequences);
        sequenceCount_ = count;
        if (out_) {
            out_->dimensions = dimensions;
            out_->centerX = centerX;
            out_->centerY = centerY;
            out_->headerWord = word;
            out_->headerByte = byte;
            out_->sequenceCount = count;
        }
        return Status::success();
    }

    Status sequence(int s) {
        const std::string what = "Sequence " + std::to_string(s);
        const std::int32_t n = r_.i32();
        if (!r_.ok()) return short_read();
        if (n < 0 || n > kMaxSequenceFrames)
            return out_of_range(what + " frame count", n, 0, kMaxSequenceFrames);
        const auto indexes = r_.bytes(2 * static_cast<std::size_t>(n));
        const auto values = r_.bytes(4 * static_cast<std::size_t>(n));
        const std::int32_t length = r_.i32();
        if (!r_.ok()) return short_read();
        if (length < 0 || length > kMaxNameLength)
            return out_of_range(what + " name length", length, 0, kMaxNameLength);
        const auto name = r_.bytes(static_cast<std::size_t>(length));
        const std::uint16_t collectionIndex = r_.u16();
        if (!r_.ok()) return short_read();
        if (out_) {
            Sequence& seq = out_->sequences[static_cast<std::size_t>(s)];
            seq.frameCount = n;
            ByteReader idx(indexes);
            ByteReader val(values);
            for (int i = 0; i < n; ++i) {
                seq.imageIndex[static_cast<std::size_t>(i)] = idx.i16();
                seq.frameValue[static_cast<std::size_t>(i)] = val.i32();
            }
            seq.set_name(as_text(name));
            seq.collectionIndex = collectionIndex;
        }
        return Status::success();
    }

    Status collection_header(int c) {
        const std::string what = "Collection " + std::to_string(c);
        r_.skip(kCollectionTagSize);
        const std::int32_t offset = r_.i32();
        const std::int32_t length = r_.i32();
        if (!r_.ok()) return short_read();
        if (length < 0 || length > kMaxNameLength)
            return out_of_range(what + " name length", length, 0, kMaxNameLength);
        const auto name = r_.bytes(static_cast<std::size_t>(length));
        const std::int32_t frames = r_.i32();
        const std::int32_t directions = r_.i32();
        if (!r_.ok()) return short_read();
        if (frames < 0 || frames > kMaxImageSlots)
            return out_of_range(what + " frames", frames, 0, kMaxImageSlots);
        if (directions < 0 || directions > kMaxImageSlots)
            return out_of_range(what + " directions", directions, 0, kMaxImageSlots);
        const long long slots = static_cast<long long>(frames) * directions;
        if (slots > kMaxImageSlots)
            return Status::failure(what + " has " + std::to_string(frames) + " frames x " +
                                   std::to_string(directions) + " directions, more than " +
                                   std::to_string(kMaxImageSlots) + " images");
        const auto boxes = r_.bytes(16 * static_cast<std::size_t>(slots));
        if (!r_.ok()) return short_read();
        slots_[static_cast<std::size_t>(c)] = static_cast<int>(slots);
        offsets_[static_cast<std::size_t>(c)] = offset;
        if (out_) {
            ImageCollection& col = out_->collections[static_cast<std::size_t>(c)];
            col.imageSectionOffset = offset;
            col.set_name(as_text(name));
            col.frames = frames;
            col.directions = directions;
            ByteReader b(boxes);
            for (long long k = 0; k < slots; ++k) {
                BoundingBox& box = col.boxes[static_cast<std::size_t>(k)];
                box.left = b.i32();
                box.top = b.i32();
                box.right = b.i32();
                box.bottom = b.i32();
            }
        }
        return Status::success();
    }

    // Sections follow one another in collection order. After a section the program cannot
    // read, the next one is found through its stored offset, since the unreadable section's
    // length is unknown; without a usable offset no further section is read.
    Status image_sections() {
        bool seekNext = false;
        for (int c = 0; c < collectionCount_; ++c) {
            if (seekNext) {
                const std::int32_t offset = offsets_[static_cast<std::size_t>(c)];
                if (offset < 0 || static_cast<std::size_t>(offset) >= r_.size()) {
                    mark_unread_from(c);
                    return Status::success();
                }
                r_.seek(static_cast<std::size_t>(offset));
            }
            r_.skip(kSectionTagSize);
            const char type = static_cast<char>(r_.u8());
            r_.skip(1);
            if (!r_.ok()) return short_read();
            ImageCollection* col = out_ ? &out_->collections[static_cast<std::size_t>(c)] : nullptr;
            if (col) col->imageSectionType = type;
            if (type != kReadableSection) {
                imagesReadable_ = false;
                report_.sawUnreadableSection = true;
                seekNext = true;
                continue;
            }
            imagesReadable_ = true;
            seekNext = false;
            if (Status s = readable_section(c, col); !s.ok()) return s;
        }
        return Status::success();
    }

    Status readable_section(int c, ImageCollection* col) {
        const std::string what = "Collection " + std::to_string(c);
        for (int p = 0; p < kPalettesPerCollection; ++p) {
            const std::int32_t n = r_.i32();
            if (!r_.ok()) return short_read();
            if (n < 0 || n > kPaletteEntries)
                return out_of_range(what + " palette " + std::to_string(p) + " entry count", n, 0,
                                    kPaletteEntries);
            const auto entries = r_.bytes(4 * static_cast<std::size_t>(n));
            if (!r_.ok()) return short_read();
            if (col) {
                ByteReader e(entries);
                Palette& palette = col->palettes[static_cast<std::size_t>(p)];
                for (int i = 0; i < n; ++i) palette[static_cast<std::size_t>(i)] = e.u32();
            }
        }
        if (col) col->sourceName = source_;
        const int slots = slots_[static_cast<std::size_t>(c)];
        for (int k = 0; k < slots; ++k) {
            r_.skip(kImageLeadSize);
            const std::uint8_t kind = r_.u8();
            r_.skip(1);
            const std::int32_t width = r_.i32();
            const std::int32_t height = r_.i32();
            const std::uint8_t flag = r_.u8();
            const std::int32_t length = r_.i32();
            if (!r_.ok()) return short_read();
            if (length < 0)
                return out_of_range(what + " image " + std::to_string(k) + " data length", length, 0,
                                    0x7FFFFFFF);
            const auto data = r_.bytes(static_cast<std::size_t>(length));
            r_.skip(kImageTrailSize);
            if (!r_.ok()) return short_read();
            if (col) {
                CollectionImage& image = col->images[static_cast<std::size_t>(k)];
                image.kind = kind;
                image.width = width;
                image.height = height;
                image.flag = flag;
                image.data.assign(data.begin(), data.end());
                image.dataLength = length;
                image.sourceName = source_;
            }
        }
        return Status::success();
    }

    // Collections whose sections were never read are marked unreadable, so their slots, which
    // still hold another document's images, are never saved under this one's headers.
    void mark_unread_from(int first) {
        if (!out_) return;
        for (int c = first; c < collectionCount_; ++c)
            out_->collections[static_cast<std::size_t>(c)].imageSectionType = '\0';
    }

    static std::string_view as_text(std::span<const std::uint8_t> bytes) {
        return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    }

    ByteReader r_;
    ShortName<kMaxSourceNameLength> source_;
    SpriteDocument* out_;
    bool& imagesReadable_;
    LoadReport& report_;
    int sequenceCount_ = 0;
    int collectionCount_ = 0;
    std::array<int, kMaxCollections> slots_{};
    std::array<std::int32_t, kMaxCollections> offsets_{};
};

}  // namespace

Status load_sprite_bytes(std::span<const std::uint8_t> bytes, std::string_view sourcePath,
                         SpriteDocument& document, bool& imagesReadable, LoadReport* report) {
    LoadReport local;
    LoadReport& rep = report ? *report : local;
    rep = LoadReport{};
    if (bytes.size() < kSignatureSize) return short_read();
    if (!std::equal(kSignature.begin(), kSignature.end(), bytes.begin())) return Status::success();

    bool readableCheck = imagesReadable;
    LoadReport checkReport;
    if (Status s = Walk(bytes, sourcePath, nullptr, readableCheck, checkReport).run(); !s.ok())
        return s;
    rep.isSprite = true;
    return Walk(bytes, sourcePath, &document, imagesReadable, rep).run();
}

Status load_sprite(const std::string& path, Session& session, LoadReport* report) {
    LoadReport local;
    LoadReport& rep = report ? *report : local;
    rep = LoadReport{};
    std::vector<std::uint8_t> bytes;
    if (Status s = read_whole_file(path, bytes); !s.ok()) return s;
    Status s = load_sprite_bytes(bytes, path, session.document, session.imagesReadable, &rep);
    if (!s.ok()) return s;
    if (rep.isSprite)
        session.currentFileName = path;
    else
        session.currentFileName.clear();
    return s;
}

}  // namespace dabro
