// Reading a sprite file into the session, checked whole before the document is touched.
#include "document/sprite_loader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/byte_reader.h"
#include "document/file_layer.h"
#include "document/sprite_layout.h"
#include "document/sprite_saver.h"

namespace dabro {

namespace {

using namespace layout;

Status out_of_range(const std::string& what, long long value, long long low, long long high) {
    return Status::failure(what + " " + std::to_string(value) + " is out of range " +
                           std::to_string(low) + " to " + std::to_string(high));
}

// Everything a file says, gathered before the document is touched, so that a load that
// fails part way changes nothing. Image data land in the buffers the images will own.
struct StagedCollection {
    std::int32_t offset = 0;
    ShortName<kMaxNameLength> name;
    std::int32_t frames = 0;
    std::int32_t directions = 0;
    std::vector<BoundingBox> boxes;  // one per image slot in use
    bool reached = false;            // its image section was found
    char type = '\0';
    std::array<int, kPalettesPerCollection> paletteCounts{};
    std::array<Palette, kPalettesPerCollection> palettes{};
    std::vector<CollectionImage> images;
};

struct Staged {
    HeaderValues header;
    std::vector<Sequence> sequences;  // of each, only the first frameCount frames are read
    std::vector<StagedCollection> collections;
    std::optional<bool> imagesReadable;  // each section found sets it; the last one counts
    bool sawUnreadableSection = false;
};

// One pass over the file, front to back, checking every count, length and size against the
// document's capacities and the bytes the file still holds before anything is allocated.
class Walk {
  public:
    Walk(FileReader& in, Staged& out) : in_(in), out_(out) {}

    // Starts after the signature.
    Status run() {
        if (Status s = header(); !s.ok()) return s;
        for (std::size_t s = 0; s < out_.sequences.size(); ++s)
            if (Status st = sequence(s); !st.ok()) return st;
        const std::int32_t count = i32();
        if (!in_.ok()) return cut();
        if (count < 0 || count > kMaxCollections)
            return out_of_range("Collection count", count, 0, kMaxCollections);
        out_.collections.resize(static_cast<std::size_t>(count));
        for (std::size_t c = 0; c < out_.collections.size(); ++c)
            if (Status s = collection_header(c); !s.ok()) return s;
        return image_sections();
    }

  private:
    // Why the bytes ran out: the end of the file, or a read that failed.
    Status cut() const { return in_.status(); }

    std::uint8_t u8() {
        std::uint8_t b = 0;
        in_.read(&b, 1);
        return b;
    }
    std::uint16_t u16() {
        std::array<std::uint8_t, 2> b{};
        in_.read(b.data(), b.size());
        return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    }
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32() {
        std::array<std::uint8_t, 4> b{};
        in_.read(b.data(), b.size());
        return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
               (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }

    // A name whose length was checked against the capacity.
    ShortName<kMaxNameLength> name(std::int32_t length) {
        std::array<char, kMaxNameLength> chars{};
        in_.read(chars.data(), static_cast<std::size_t>(length));
        return ShortName<kMaxNameLength>(
            std::string_view(chars.data(), static_cast<std::size_t>(length)));
    }

    Status header() {
        for (auto& d : out_.header.dimensions) d = u8();
        out_.header.centerX = i32();
        out_.header.centerY = i32();
        out_.header.headerWord = u16();
        out_.header.headerByte = u8();
        const std::int32_t count = i32();
        if (!in_.ok()) return cut();
        if (count < 0 || count > kMaxSequences)
            return out_of_range("Sequence count", count, 0, kMaxSequences);
        out_.sequences.resize(static_cast<std::size_t>(count));
        return Status::success();
    }

    Status sequence(std::size_t s) {
        const std::string what = "Sequence " + std::to_string(s);
        const std::int32_t n = i32();
        if (!in_.ok()) return cut();
        if (n < 0 || n > kMaxSequenceFrames)
            return out_of_range(what + " frame count", n, 0, kMaxSequenceFrames);
        Sequence& seq = out_.sequences[s];
        seq.frameCount = n;
        for (int i = 0; i < n; ++i) seq.imageIndex[static_cast<std::size_t>(i)] = i16();
        for (int i = 0; i < n; ++i) seq.frameValue[static_cast<std::size_t>(i)] = i32();
        const std::int32_t length = i32();
        if (!in_.ok()) return cut();
        if (length < 0 || length > kMaxNameLength)
            return out_of_range(what + " name length", length, 0, kMaxNameLength);
        seq.set_name(name(length).view());
        seq.collectionIndex = u16();
        if (!in_.ok()) return cut();
        return Status::success();
    }

    Status collection_header(std::size_t c) {
        const std::string what = "Collection " + std::to_string(c);
        StagedCollection& col = out_.collections[c];
        in_.skip(kCollectionTag.size());
        col.offset = i32();
        const std::int32_t length = i32();
        if (!in_.ok()) return cut();
        if (length < 0 || length > kMaxNameLength)
            return out_of_range(what + " name length", length, 0, kMaxNameLength);
        col.name = name(length);
        const std::int32_t frames = i32();
        const std::int32_t directions = i32();
        if (!in_.ok()) return cut();
        if (frames < 0 || frames > kMaxFramesOrDirections)
            return out_of_range(what + " frames", frames, 0, kMaxFramesOrDirections);
        if (directions < 0 || directions > kMaxFramesOrDirections)
            return out_of_range(what + " directions", directions, 0, kMaxFramesOrDirections);
        const long long slots = static_cast<long long>(frames) * directions;
        if (slots > kMaxImageSlots)
            return Status::failure(what + " has " + counted(frames, "frame") + " x " +
                                   counted(directions, "direction") + ", more than " +
                                   std::to_string(kMaxImageSlots) + " images");
        col.frames = frames;
        col.directions = directions;
        std::vector<std::uint8_t> raw;
        if (!in_.append(raw, kBoxSize * static_cast<std::size_t>(slots))) return cut();
        ByteReader b(raw);
        col.boxes.resize(static_cast<std::size_t>(slots));
        for (BoundingBox& box : col.boxes) {
            box.left = b.i32();
            box.top = b.i32();
            box.right = b.i32();
            box.bottom = b.i32();
        }
        return Status::success();
    }

    // Sections follow one another in collection order. After a section the program cannot
    // read, the next one is found through its stored offset, since the unreadable section's
    // length is unknown; without a usable offset no further section is read.
    Status image_sections() {
        bool seekNext = false;
        for (std::size_t c = 0; c < out_.collections.size(); ++c) {
            StagedCollection& col = out_.collections[c];
            if (seekNext) {
                // Only forward: an offset pointing back at a section already read would read
                // its images again, and a file could make every collection copy the largest.
                const std::size_t here = in_.size() - in_.remaining();
                if (col.offset < 0 || static_cast<std::size_t>(col.offset) >= in_.size() ||
                    static_cast<std::size_t>(col.offset) < here)
                    return Status::success();
                in_.seek(static_cast<std::size_t>(col.offset));
            }
            in_.skip(kSectionTag.size());
            const char type = static_cast<char>(u8());
            in_.skip(1);
            if (!in_.ok()) return cut();
            col.reached = true;
            col.type = type;
            if (type != kReadableSection) {
                out_.imagesReadable = false;
                out_.sawUnreadableSection = true;
                seekNext = true;
                continue;
            }
            out_.imagesReadable = true;
            seekNext = false;
            if (Status s = readable_section(c); !s.ok()) return s;
        }
        return Status::success();
    }

    Status readable_section(std::size_t c) {
        const std::string what = "Collection " + std::to_string(c);
        StagedCollection& col = out_.collections[c];
        for (std::size_t p = 0; p < kPalettesPerCollection; ++p) {
            const std::int32_t n = i32();
            if (!in_.ok()) return cut();
            if (n < 0 || n > kPaletteEntries)
                return out_of_range(what + " palette " + std::to_string(p) + " entry count", n, 0,
                                    kPaletteEntries);
            std::array<std::uint8_t, kPaletteSize - kI32> raw{};
            if (!in_.read(raw.data(), kI32 * static_cast<std::size_t>(n))) return cut();
            ByteReader e(raw);
            for (int i = 0; i < n; ++i) col.palettes[p][static_cast<std::size_t>(i)] = e.u32();
            col.paletteCounts[p] = n;
        }
        const std::size_t slots = col.boxes.size();
        col.images.reserve(slots);
        for (std::size_t k = 0; k < slots; ++k) {
            in_.skip(kImageLead.size());
            CollectionImage& image = col.images.emplace_back();
            image.kind = u8();
            in_.skip(1);
            image.width = i32();
            image.height = i32();
            image.flag = u8();
            const std::int32_t length = i32();
            if (!in_.ok()) return cut();
            if (length < 0)
                return out_of_range(what + " image " + std::to_string(k) + " data length", length,
                                    0, 0x7FFFFFFF);
            in_.append(image.data, static_cast<std::size_t>(length));
            in_.skip(kImageTrail.size());
            if (!in_.ok()) return cut();
        }
        return Status::success();
    }

    FileReader& in_;
    Staged& out_;
};

// Puts what the walk gathered into the document. Slots the file does not reach keep their
// contents, and so do palette entries beyond a palette's count.
void commit(Staged& staged, const ShortName<kMaxSourceNameLength>& source, SpriteDocument& doc,
            bool& imagesReadable, LoadReport& report) {
    static_cast<SpriteHeader&>(doc) = staged.header;
    doc.sequenceCount = static_cast<std::int32_t>(staged.sequences.size());
    for (std::size_t s = 0; s < staged.sequences.size(); ++s) {
        const Sequence& from = staged.sequences[s];
        Sequence& seq = doc.sequences[s];
        const auto n = static_cast<std::size_t>(from.frameCount);
        seq.frameCount = from.frameCount;
        std::copy_n(from.imageIndex.begin(), n, seq.imageIndex.begin());
        std::copy_n(from.frameValue.begin(), n, seq.frameValue.begin());
        seq.set_name(from.name.view());
        seq.collectionIndex = from.collectionIndex;
    }

    doc.collectionCount = static_cast<std::int32_t>(staged.collections.size());
    for (std::size_t c = 0; c < staged.collections.size(); ++c) {
        StagedCollection& from = staged.collections[c];
        ImageCollection& col = doc.collections[c];
        col.imageSectionOffset = from.offset;
        col.set_name(from.name.view());
        col.frames = from.frames;
        col.directions = from.directions;
        std::copy(from.boxes.begin(), from.boxes.end(), col.boxes.begin());
        // A collection whose section was never found is marked so that its slots, which
        // still hold another document's images, are never saved under this one's header.
        col.imageSectionType = from.reached ? from.type : '\0';
        if (!from.reached || from.type != kReadableSection) continue;
        for (std::size_t p = 0; p < kPalettesPerCollection; ++p)
            std::copy_n(from.palettes[p].begin(), from.paletteCounts[p], col.palettes[p].begin());
        col.sourceName = source;
        for (std::size_t k = 0; k < from.images.size(); ++k) {
            CollectionImage& image = from.images[k];
            CollectionImage& slot = col.images[k];
            slot.kind = image.kind;
            slot.width = image.width;
            slot.height = image.height;
            slot.flag = image.flag;
            slot.set_data(std::move(image.data));
            slot.sourceName = source;
        }
    }
    if (staged.imagesReadable) imagesReadable = *staged.imagesReadable;
    report.sawUnreadableSection = staged.sawUnreadableSection;
}

Status load_from(FileReader& in, std::string_view sourcePath, SpriteDocument& document,
                 bool& imagesReadable, LoadReport& report) {
    std::array<std::uint8_t, kSignature.size()> signature{};
    if (!in.read(signature.data(), signature.size())) return in.status();
    if (signature != kSignature) return Status::success();
    const auto staged = std::make_unique<Staged>();
    if (Status s = Walk(in, *staged).run(); !s.ok()) return s;
    report.isSprite = true;
    commit(*staged, source_name_of(sourcePath), document, imagesReadable, report);
    return Status::success();
}

}  // namespace

// The file is read piece by piece rather than whole, so each image's data go from the file
// straight into the buffer the image keeps: a large file is never held twice.
Status load_sprite(const std::string& path, Session& session, LoadReport* report) {
    LoadReport local;
    LoadReport& rep = report ? *report : local;
    rep = LoadReport{};
    FileReader in;
    if (Status s = in.open(path); !s.ok()) return s;
    Status s = load_from(in, path, session.document, session.imagesReadable, rep);
    if (!s.ok()) return s;
    if (rep.isSprite)
        session.currentFileName = path;
    else
        session.currentFileName.clear();
    return s;
}

}  // namespace dabro
