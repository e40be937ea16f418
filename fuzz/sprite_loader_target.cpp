// Fuzz target: the sprite loader on hostile files, and the save of what it loads.
#include <algorithm>
#include <vector>

#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "fuzz/fuzz_target.h"
#include "support/memory_files.h"

namespace dabro::fuzz {

namespace {

const std::string kSourcePath = "mods/fuzz.spr";

// A fresh 20 MB session per input would cost more than the load; instead two sessions live
// for the whole run and every input puts back what it changed, so each load still starts
// from an empty document.
Session& pristine_session(int which) {
    static const std::unique_ptr<Session> sessions[2] = {make_session(), make_session()};
    return *sessions[which];
}

void restore(Session& session) {
    SpriteDocument& doc = session.document;
    const int collections = std::clamp(doc.collectionCount, 0, kMaxCollections);
    for (int c = 0; c < collections; ++c) {
        ImageCollection& col = doc.collections[static_cast<std::size_t>(c)];
        const int slots = col.slot_count();
        for (int k = 0; k < slots; ++k) {
            col.boxes[static_cast<std::size_t>(k)] = {};
            col.images[static_cast<std::size_t>(k)] = {};
        }
        col.palettes = {};
        col.imageSectionOffset = 0;
        col.set_name("");
        col.frames = 0;
        col.directions = 0;
        col.imageSectionType = '\0';
        col.sourceName = {};
    }
    doc.sequences = {};
    doc.dimensions = {};
    doc.centerX = doc.centerY = 0;
    doc.headerWord = 0;
    doc.headerByte = 0;
    doc.sequenceCount = 0;
    doc.collectionCount = 0;
    session.imagesReadable = false;
    session.currentFileName.clear();
}

// What a failed load must have left alone, checked cheaply: every field outside the image
// slots (which a transactional loader reaches last, after the same checks).
bool untouched(const SpriteDocument& doc) {
    static const std::unique_ptr<Session> empty = make_session();
    const SpriteDocument& e = empty->document;
    if (doc.dimensions != e.dimensions || doc.centerX != 0 || doc.centerY != 0 ||
        doc.headerWord != 0 || doc.headerByte != 0 || doc.sequenceCount != 0 ||
        doc.collectionCount != 0 || doc.sequences != e.sequences)
        return false;
    for (const ImageCollection& col : doc.collections) {
        if (col.imageSectionOffset != 0 || !col.name.empty() || col.nameLength != 0 ||
            col.frames != 0 || col.directions != 0 || col.imageSectionType != '\0' ||
            !col.sourceName.empty() || col.palettes != e.collections[0].palettes ||
            col.boxes[0] != BoundingBox{} || col.images[0] != CollectionImage{})
            return false;
    }
    return true;
}

// Equal in everything the file carries: header, the sequences and their frames in use, the
// collections in use with their boxes and, for readable sections, palettes and images.
// The stored section offsets are not compared: a save computes them afresh.
bool same_content(const SpriteDocument& a, const SpriteDocument& b) {
    if (header_of(a) != header_of(b) || a.sequenceCount != b.sequenceCount ||
        a.collectionCount != b.collectionCount)
        return false;
    for (int s = 0; s < a.sequenceCount; ++s) {
        const Sequence& x = a.sequences[static_cast<std::size_t>(s)];
        const Sequence& y = b.sequences[static_cast<std::size_t>(s)];
        if (x.frameCount != y.frameCount || x.name != y.name || x.nameLength != y.nameLength ||
            x.collectionIndex != y.collectionIndex)
            return false;
        for (int i = 0; i < x.frameCount; ++i) {
            const auto f = static_cast<std::size_t>(i);
            if (x.imageIndex[f] != y.imageIndex[f] || x.frameValue[f] != y.frameValue[f])
                return false;
        }
    }
    for (int c = 0; c < a.collectionCount; ++c) {
        const ImageCollection& x = a.collections[static_cast<std::size_t>(c)];
        const ImageCollection& y = b.collections[static_cast<std::size_t>(c)];
        if (x.name != y.name || x.nameLength != y.nameLength || x.frames != y.frames ||
            x.directions != y.directions || x.imageSectionType != y.imageSectionType)
            return false;
        const int slots = x.slot_count();
        for (int k = 0; k < slots; ++k)
            if (x.boxes[static_cast<std::size_t>(k)] != y.boxes[static_cast<std::size_t>(k)])
                return false;
        if (x.imageSectionType != kReadableSection) continue;
        if (x.palettes != y.palettes || x.sourceName != y.sourceName) return false;
        for (int k = 0; k < slots; ++k)
            if (x.images[static_cast<std::size_t>(k)] != y.images[static_cast<std::size_t>(k)])
                return false;
    }
    return true;
}

struct Restorer {
    Session& session;
    ~Restorer() { restore(session); }
};

}  // namespace

int sprite_loader(Input data) {
    Session& first = pristine_session(0);
    Restorer restoreFirst{first};
    LoadReport report;
    MemoryFiles files;
    files.put(kSourcePath, data);
    const Status loaded = load_sprite(kSourcePath, first, &report);
    if (!loaded.ok()) {
        FUZZ_CHECK(!loaded.message().empty());
        FUZZ_CHECK(untouched(first.document));
        FUZZ_CHECK(!first.imagesReadable);
        return 0;
    }
    if (!report.isSprite) {
        FUZZ_CHECK(untouched(first.document));
        return 0;
    }
    const SpriteDocument& doc = first.document;
    FUZZ_CHECK(doc.sequenceCount >= 0 && doc.sequenceCount <= kMaxSequences);
    FUZZ_CHECK(doc.collectionCount >= 0 && doc.collectionCount <= kMaxCollections);
    for (int c = 0; c < doc.collectionCount; ++c) {
        const ImageCollection& col = doc.collections[static_cast<std::size_t>(c)];
        for (int k = 0; k < col.slot_count(); ++k) {
            const CollectionImage& image = col.images[static_cast<std::size_t>(k)];
            FUZZ_CHECK(image.dataLength >= 0 &&
                       static_cast<std::size_t>(image.dataLength) == image.data.size());
        }
    }

    std::vector<std::uint8_t> encoded;
    const Status saved = encode_sprite(doc, header_of(doc), encoded);
    if (!saved.ok()) {
        // Only images that were never read may refuse a save.
        bool unread = false;
        for (int c = 0; c < doc.collectionCount; ++c) {
            const char type = doc.collections[static_cast<std::size_t>(c)].imageSectionType;
            unread = unread || (type != kReadableSection && type != kShortSection);
        }
        FUZZ_CHECK(unread);
        return 0;
    }

    Session& second = pristine_session(1);
    Restorer restoreSecond{second};
    LoadReport again;
    files.put(kSourcePath, encoded);
    const Status reloaded = load_sprite(kSourcePath, second, &again);
    FUZZ_CHECK(reloaded.ok());
    FUZZ_CHECK(again.isSprite);
    FUZZ_CHECK(same_content(doc, second.document));
    FUZZ_CHECK(first.imagesReadable == second.imagesReadable);
    FUZZ_CHECK(report.sawUnreadableSection == again.sawUnreadableSection);

    // A file the program wrote comes back byte for byte.
    std::vector<std::uint8_t> twice;
    FUZZ_CHECK(encode_sprite(second.document, header_of(second.document), twice).ok());
    FUZZ_CHECK(twice == encoded);
    return 0;
}

}  // namespace dabro::fuzz
