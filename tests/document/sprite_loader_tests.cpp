#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "document/sprite_layout.h"
#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "support/memory_files.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

using test::Bytes;
using test::CollectionShape;
using test::DocumentShape;

std::vector<std::uint8_t> encode(const SpriteDocument& doc) {
    std::vector<std::uint8_t> bytes;
    const Status s = encode_sprite(doc, header_of(doc), bytes);
    EXPECT_TRUE(s.ok()) << s.message();
    return bytes;
}

// A session that already holds a document, so tests can see what a load leaves alone.
std::unique_ptr<Session> session_holding(const DocumentShape& shape) {
    auto session = make_session();
    session->document = *test::make_document(shape);
    session->currentFileName = "/earlier/file.spr";
    session->imagesReadable = true;
    return session;
}

std::unique_ptr<Session> load_fresh(const std::vector<std::uint8_t>& bytes,
                                    Status* status = nullptr,
                                    const std::string& path = "dir/file.spr") {
    auto session = make_session();
    LoadReport report;
    const Status s = test::load_bytes(bytes, path, *session, &report);
    if (status)
        *status = s;
    else
        EXPECT_TRUE(s.ok()) << s.message();
    return session;
}

// --- files written by another encoder -------------------------------------------------

class Fixture : public ::testing::TestWithParam<const char*> {};

TEST_P(Fixture, LoadsAndSavesBackByteForByte) {
    const std::string path = test::test_data(std::string("fixtures/") + GetParam());
    auto session = make_session();
    LoadReport report;
    const Status s = load_sprite(path, *session, &report);
    ASSERT_TRUE(s.ok()) << s.message();
    EXPECT_TRUE(report.isSprite);
    EXPECT_EQ(session->currentFileName, path);
    EXPECT_EQ(encode(session->document), test::read_bytes(path));
}

INSTANTIATE_TEST_SUITE_P(Files, Fixture,
                         ::testing::Values("header-only.spr", "one-collection.spr", "several.spr"));

TEST(Fixture, OneCollectionHasTheLayoutsValues) {
    auto session = make_session();
    ASSERT_TRUE(load_sprite(test::test_data("fixtures/one-collection.spr"), *session).ok());
    const SpriteDocument& doc = session->document;
    ASSERT_EQ(doc.collectionCount, 1);
    const ImageCollection& col = doc.collections[0];
    EXPECT_EQ(col.imageSectionOffset, 78);
    EXPECT_EQ(col.name.str(), "a");
    EXPECT_EQ(col.imageSectionType, '1');
    EXPECT_EQ(col.sourceName.str(), "one-collection.spr");
    EXPECT_EQ(col.images[0].sourceName.str(), "one-collection.spr");
    EXPECT_EQ(col.images[0].dataLength, 10);
    EXPECT_TRUE(session->imagesReadable);
}

// --- round trips over many shapes -----------------------------------------------------

class RoundTrip : public ::testing::TestWithParam<DocumentShape> {};

TEST_P(RoundTrip, SaveLoadSaveIsByteExact) {
    const auto original = test::make_document(GetParam());
    const auto bytes = encode(*original);
    auto loaded = load_fresh(bytes);
    EXPECT_EQ(encode(loaded->document), bytes);

    const SpriteDocument& doc = loaded->document;
    EXPECT_EQ(doc.sequenceCount, original->sequenceCount);
    for (int s = 0; s < doc.sequenceCount; ++s) {
        EXPECT_EQ(doc.sequences[s], original->sequences[s]) << "sequence " << s;
    }
    for (int c = 0; c < doc.collectionCount; ++c) {
        const ImageCollection& a = doc.collections[c];
        const ImageCollection& b = original->collections[c];
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.boxes, b.boxes);
        if (b.imageSectionType == kReadableSection) {
            EXPECT_EQ(a.palettes, b.palettes);
            for (int k = 0; k < b.slot_count(); ++k) {
                EXPECT_EQ(a.images[k].data, b.images[k].data);
                EXPECT_EQ(a.images[k].sourceName.str(), "file.spr");
            }
        }
    }
}

std::vector<DocumentShape> round_trip_shapes() {
    std::vector<DocumentShape> shapes;
    auto add = [&](DocumentShape s) {
        s.seed = static_cast<std::uint32_t>(shapes.size() + 1);
        shapes.push_back(s);
    };
    add({.sequences = 0, .collections = {}});
    add({.sequences = 1, .framesPerSequence = 0, .nameLength = 0, .collections = {}});
    add({.sequences = 3, .framesPerSequence = 100, .nameLength = 40, .collections = {{1, 1}}});
    add({.sequences = 50, .framesPerSequence = 2, .nameLength = 1, .collections = {{4, 3}}});
    add({.collections = {{0, 8}, {5, 0}, {2, 1}}});
    add({.nameLength = 0, .collections = {{3, 1}, {2, 3}, {1, 8}}});
    add({.collections = {{2, 8, kShortSection}, {1, 1}, {3, 1, kShortSection}}});
    add({.collections = {{480, 8}}, .imageWidth = 2, .imageHeight = 1});
    add({.collections = {{1, 1}}, .imageWidth = 0, .imageHeight = 0});
    add({.collections = {{2, 2}}, .imageWidth = 64, .imageHeight = 48});
    return shapes;
}

INSTANTIATE_TEST_SUITE_P(Shapes, RoundTrip, ::testing::ValuesIn(round_trip_shapes()));

// --- every truncation -----------------------------------------------------------------

TEST(Truncation, EveryPrefixFailsCleanlyAndChangesNothing) {
    const auto source = test::make_document({.sequences = 2,
                                             .framesPerSequence = 2,
                                             .nameLength = 3,
                                             .collections = {{1, 2}, {2, 1}},
                                             .imageWidth = 3,
                                             .imageHeight = 2});
    const auto bytes = encode(*source);
    auto session = session_holding({.collections = {{2, 2}, {1, 3}, {1, 1}}, .seed = 99});
    const auto before = std::make_unique<SpriteDocument>(session->document);
    const SpriteDocument& doc = session->document;
    const auto encodedBefore = encode(doc);
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        const std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<long>(n));
        const Status s = test::load_bytes(prefix, "x.spr", *session);
        ASSERT_FALSE(s.ok()) << "prefix of " << n << " bytes";
        EXPECT_EQ(s.code(), ErrorCode::ReadBeyondEnd) << "prefix of " << n << " bytes";
        EXPECT_EQ(s.message(), "Read beyond end of file");
        // The part in use, checked each time; the whole document once at the end.
        ASSERT_EQ(encode(doc), encodedBefore) << "prefix of " << n << " bytes changed the document";
        ASSERT_TRUE(session->imagesReadable);
    }
    EXPECT_TRUE(doc == *before);
}

// After a section the program cannot read, a file cut short may leave the next stored offset
// outside the file: the load then ends there, and the collections left unread refuse to save.
TEST(Truncation, AfterAnUnreadableSectionNeverLoadsStaleImages) {
    const auto source = test::make_document({.collections = {{1, 1, kShortSection}, {1, 1}}});
    const auto bytes = encode(*source);
    auto session = make_session();
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        const std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<long>(n));
        session->document.collections[1].imageSectionType = kReadableSection;
        const Status s = test::load_bytes(prefix, "t.spr", *session);
        if (!s.ok()) continue;
        EXPECT_EQ(session->document.collections[1].imageSectionType, '\0') << "prefix of " << n;
        EXPECT_FALSE(session->imagesReadable);
    }
}

// --- hostile values -------------------------------------------------------------------

struct Hostile {
    const char* what;
    std::vector<std::uint8_t> bytes;
    const char* message;  // expected text within the failure message
};

void PrintTo(const Hostile& h, std::ostream* os) {
    *os << h.what;
}

Bytes one_collection_header(std::int32_t nameLength, std::int32_t frames, std::int32_t directions) {
    Bytes b;
    b.signature().header(0).i32(1).collection_tag().i32(0).i32(nameLength);
    if (nameLength > 0 && nameLength <= 40)
        b.raw(std::string(static_cast<std::size_t>(nameLength), 'n'));
    return b.i32(frames).i32(directions);
}

Bytes readable_collection_until_images(std::int32_t paletteCount) {
    Bytes b = one_collection_header(1, 1, 1);
    b.zeros(16).section_start('1');
    for (int p = 0; p < 4; ++p) b.i32(p == 2 ? paletteCount : 0);
    return b;
}

std::vector<Hostile> hostile_files() {
    std::vector<Hostile> cases;
    cases.push_back(
        {"sequence count 51", Bytes().signature().header(51).get(), "Sequence count 51"});
    cases.push_back(
        {"sequence count -1", Bytes().signature().header(-1).get(), "Sequence count -1"});
    cases.push_back({"frame count 101", Bytes().signature().header(1).i32(101).get(),
                     "Sequence 0 frame count 101 is out of range 0 to 100"});
    cases.push_back(
        {"frame count -5", Bytes().signature().header(1).i32(-5).get(), "frame count -5"});
    cases.push_back(
        {"sequence name 41",
         Bytes().signature().header(1).i32(0).i32(41).raw(std::string(41, 'a')).u16(0).get(),
         "Sequence 0 name length 41 is out of range 0 to 40"});
    cases.push_back({"sequence name huge",
                     Bytes().signature().header(1).i32(0).i32(0x7FFFFFFF).get(),
                     "name length 2147483647"});
    cases.push_back({"collection count 51", Bytes().signature().header(0).i32(51).get(),
                     "Collection count 51"});
    cases.push_back({"collection count min", Bytes().signature().header(0).i32(INT32_MIN).get(),
                     "Collection count -2147483648"});
    cases.push_back({"collection name -1", one_collection_header(-1, 0, 0).get(),
                     "Collection 0 name length -1"});
    cases.push_back({"frames -1", one_collection_header(1, -1, 1).get(), "Collection 0 frames -1"});
    cases.push_back(
        {"directions -1", one_collection_header(1, 1, -1).get(), "Collection 0 directions -1"});
    cases.push_back(
        {"3841 images", one_collection_header(1, 3841, 1).get(), "3841 frames x 1 direction"});
    cases.push_back({"frames 65536", one_collection_header(1, 65536, 0).get(),
                     "Collection 0 frames 65536 is out of range 0 to 65535"});
    cases.push_back({"directions 65536", one_collection_header(1, 0, 65536).get(),
                     "Collection 0 directions 65536 is out of range 0 to 65535"});
    cases.push_back({"product overflows", one_collection_header(1, 3840, 3840).get(),
                     "3840 frames x 3840 directions, more than 3840 images"});
    cases.push_back(
        {"481 x 8", one_collection_header(1, 481, 8).get(), "481 frames x 8 directions"});
    cases.push_back({"palette 257", readable_collection_until_images(257).get(),
                     "Collection 0 palette 2 entry count 257 is out of range 0 to 256"});
    cases.push_back({"palette -1", readable_collection_until_images(-1).get(), "entry count -1"});
    Bytes negative = readable_collection_until_images(0);
    negative.u8(1)
        .zeros(8)
        .raw(std::string_view("<zar>\0", 6))
        .u8(0)
        .u8(0)
        .i32(1)
        .i32(1)
        .u8(0)
        .i32(-1);
    cases.push_back({"data length -1", negative.get(), "Collection 0 image 0 data length -1"});
    Bytes huge = readable_collection_until_images(0);
    huge.u8(1)
        .zeros(8)
        .raw(std::string_view("<zar>\0", 6))
        .u8(0)
        .u8(0)
        .i32(1)
        .i32(1)
        .u8(0)
        .i32(0x7FFFFFF0)
        .zeros(10);
    cases.push_back({"data length beyond the file", huge.get(), "Read beyond end of file"});
    return cases;
}

class HostileFile : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileFile, IsRefusedWithItsValueAndChangesNothing) {
    const Hostile& h = GetParam();
    auto session = session_holding({});
    const auto before = std::make_unique<SpriteDocument>(session->document);
    const Status s = test::load_bytes(h.bytes, "h.spr", *session);
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.message().find(h.message), std::string::npos) << s.message();
    EXPECT_TRUE(session->document == *before);
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileFile, ::testing::ValuesIn(hostile_files()),
                         [](const auto& info) {
                             std::string name = info.param.what;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

// --- behaviour of a load --------------------------------------------------------------

TEST(Load, HeaderOnlyFileKeepsImagesReadableAndZeroesCounts) {
    for (bool readable : {false, true}) {
        auto session = session_holding({});
        session->imagesReadable = readable;
        Bytes b;
        b.signature().u8(3).u8(1).u8(4).i32(-159).i32(26535).u16(8979).u8(32).i32(0).i32(0);
        ASSERT_EQ(b.size(), 33u);
        ASSERT_TRUE(test::load_bytes(b.get(), "h.spr", *session).ok());
        const SpriteDocument& doc = session->document;
        EXPECT_EQ(doc.dimensions, (std::array<std::uint8_t, 3>{3, 1, 4}));
        EXPECT_EQ(doc.centerX, -159);
        EXPECT_EQ(doc.centerY, 26535);
        EXPECT_EQ(doc.headerWord, 8979);
        EXPECT_EQ(doc.headerByte, 32);
        EXPECT_EQ(doc.sequenceCount, 0);
        EXPECT_EQ(doc.collectionCount, 0);
        EXPECT_EQ(session->imagesReadable, readable);
    }
}

TEST(Load, SlotsTheFileDoesNotReachKeepTheirContents) {
    auto session =
        session_holding({.sequences = 3, .framesPerSequence = 5, .collections = {{2, 2}, {1, 1}}});
    const auto before = std::make_unique<SpriteDocument>(session->document);
    Bytes b;
    b.signature().header(1).i32(0).i32(0).u16(7);  // one sequence: no frames, empty name
    b.i32(1).collection_tag().i32(0).name("c").i32(1).i32(1).zeros(16).section_start('1');
    b.i32(0).i32(16);
    for (int i = 0; i < 16; ++i) b.u32(0x010203u * static_cast<std::uint32_t>(i));
    b.i32(0).i32(0);
    b.image_entry(0, 1, 1, 0, {4});
    ASSERT_TRUE(test::load_bytes(b.get(), "k.spr", *session).ok());
    const SpriteDocument& doc = session->document;
    EXPECT_EQ(doc.sequences[0].frameCount, 0);
    EXPECT_EQ(doc.sequences[0].imageIndex, before->sequences[0].imageIndex);
    EXPECT_EQ(doc.sequences[1], before->sequences[1]);
    EXPECT_EQ(doc.sequences[2], before->sequences[2]);
    EXPECT_EQ(doc.collections[1], before->collections[1]);
    const ImageCollection& col = doc.collections[0];
    EXPECT_EQ(col.palettes[0], before->collections[0].palettes[0])
        << "a count of 0 keeps the palette";
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t expected = i < 16 ? 0x010203u * static_cast<std::uint32_t>(i)
                                              : before->collections[0].palettes[1][i];
        ASSERT_EQ(col.palettes[1][i], expected) << "entry " << i;
    }
    EXPECT_EQ(col.images[1], before->collections[0].images[1]) << "slot beyond F x D";
}

TEST(Load, ImagesReadableFollowsTheLastSection) {
    struct Order {
        std::vector<CollectionShape> collections;
        bool expected;
    };
    for (const Order& o : {Order{{{1, 1, kShortSection}, {1, 1}}, true},
                           Order{{{1, 1}, {1, 1, kShortSection}}, false}}) {
        const auto doc = test::make_document({.collections = o.collections});
        auto session = make_session();
        session->imagesReadable = !o.expected;
        LoadReport report;
        ASSERT_TRUE(test::load_bytes(encode(*doc), "r.spr", *session, &report).ok());
        EXPECT_EQ(session->imagesReadable, o.expected);
        EXPECT_TRUE(report.sawUnreadableSection);
    }
}

// A section of a kind this program cannot read has a length it cannot know, so the next
// section is found through its stored offset.
TEST(Load, SectionAfterAnUnreadableOneIsFoundByItsStoredOffset) {
    const auto doc = test::make_document({.collections = {{1, 1}, {2, 1}}});
    auto bytes = encode(*doc);
    const auto first = load_fresh(bytes);
    const std::size_t firstSection =
        static_cast<std::size_t>(first->document.collections[0].imageSectionOffset);
    bytes[firstSection + 14] = 'Z';  // the first section becomes unreadable, with unknown contents

    auto loaded = load_fresh(bytes);
    EXPECT_EQ(loaded->document.collections[0].imageSectionType, 'Z');
    EXPECT_EQ(loaded->document.collections[1].imageSectionType, '1');
    EXPECT_EQ(loaded->document.collections[1].images[1].data, doc->collections[1].images[1].data);
    EXPECT_TRUE(loaded->imagesReadable);

    // With the second offset pointing outside the file, no further section is read, and the
    // collections left unread are marked so that a save cannot write stale images under them.
    std::vector<std::uint8_t> bad = bytes;
    const std::string tag(
        "<spranim>\0"
        "1\0",
        12);
    const std::string text(bad.begin(), bad.end());
    const std::size_t secondHeader = text.find(tag, text.find(tag) + 1);
    ASSERT_NE(secondHeader, std::string::npos);
    const auto outside = static_cast<std::uint32_t>(bad.size());
    for (std::size_t i = 0; i < 4; ++i)
        bad[secondHeader + 12 + i] = static_cast<std::uint8_t>(outside >> (8 * i));
    auto stopped = load_fresh(bad);
    EXPECT_FALSE(stopped->imagesReadable);
    EXPECT_EQ(stopped->document.collections[1].imageSectionType, '\0');
    std::vector<std::uint8_t> out;
    const Status refused = encode_sprite(stopped->document, header_of(stopped->document), out);
    EXPECT_NE(refused.message().find("could not be read"), std::string::npos) << refused.message();
}

TEST(Load, AnyChangedSignatureByteIsNotASprite) {
    const auto bytes = encode(*test::make_document({}));
    for (std::size_t i = 0; i < layout::kSignature.size(); ++i) {
        auto changed = bytes;
        changed[i] ^= 0x20;
        auto session = session_holding({});
        const auto before = std::make_unique<SpriteDocument>(session->document);
        LoadReport report;
        const Status s = test::load_bytes(changed, "s.spr", *session, &report);
        EXPECT_TRUE(s.ok());
        EXPECT_FALSE(report.isSprite) << "byte " << i;
        EXPECT_TRUE(session->document == *before);
    }
}

TEST(Load, SourceNameIsTheFileNameCutTo30) {
    const auto bytes = encode(*test::make_document({.collections = {{1, 2}}}));
    const std::string ascii = "abcdefghijklmnopqrstuvwxyz0123456.spr";
    const std::string e = "\xC3\xA9";         // é in UTF-8
    const std::string euro = "\xE2\x82\xAC";  // € in UTF-8
    struct Case {
        std::string name;
        std::string kept;
    };
    for (const Case& c :
         {Case{ascii, ascii.substr(0, 30)},
          // A character that would not fit whole is left out.
          Case{ascii.substr(0, 29) + e + "x.spr", ascii.substr(0, 29)},
          Case{ascii.substr(0, 28) + euro + ".spr", ascii.substr(0, 28)},
          Case{ascii.substr(0, 28) + e + ".spr", ascii.substr(0, 28) + e},
          // Bytes that are not UTF-8 are cut where they stand.
          Case{ascii.substr(0, 29) + "\xE9\xE9.spr", ascii.substr(0, 29) + "\xE9"}}) {
        auto session = load_fresh(bytes, nullptr, "/some/folder/" + c.name);
        EXPECT_EQ(session->document.collections[0].sourceName.str(), c.kept) << c.name;
        EXPECT_EQ(session->document.collections[0].images[1].sourceName.str(), c.kept);
    }
}

// Frames or directions alone may pass the image capacity when the other count is 0.
TEST(Load, ACollectionWithoutImagesMayHaveManyFramesOrDirections) {
    for (auto [frames, directions] :
         {std::pair{65535, 0}, std::pair{0, 65535}, std::pair{5000, 0}}) {
        const auto doc = test::make_document({.collections = {{frames, directions}}});
        const auto bytes = encode(*doc);
        auto session = load_fresh(bytes);
        const ImageCollection& col = session->document.collections[0];
        EXPECT_EQ(col.frames, frames);
        EXPECT_EQ(col.directions, directions);
        EXPECT_EQ(col.slot_count(), 0);
        EXPECT_EQ(encode(session->document), bytes);
    }
}

// --- loading from a path --------------------------------------------------------------

TEST(LoadFile, SetsTheFileNameOrKeepsThePreviousOneOnFailure) {
    test::TempDir dir;
    const std::string good = dir.file("good.spr");
    test::write_bytes(good, encode(*test::make_document({})));
    const std::string notSprite = dir.file("not.spr");
    test::write_bytes(notSprite, std::vector<std::uint8_t>(40, 'x'));
    const std::string cut = dir.file("cut.spr");
    auto bytes = encode(*test::make_document({}));
    bytes.resize(bytes.size() / 2);
    test::write_bytes(cut, bytes);

    auto session = session_holding({});
    ASSERT_TRUE(load_sprite(good, *session).ok());
    EXPECT_EQ(session->currentFileName, good);

    const auto loaded = std::make_unique<SpriteDocument>(session->document);
    Status s = load_sprite(cut, *session);
    EXPECT_EQ(s.message(), "Read beyond end of file");
    EXPECT_EQ(session->currentFileName, good);
    EXPECT_TRUE(session->document == *loaded);

    s = load_sprite(dir.file("missing.spr"), *session);
    EXPECT_EQ(s.code(), ErrorCode::FileNotFound);
    EXPECT_EQ(failure_text(s.message()), "File not found.");
    EXPECT_EQ(session->currentFileName, good);

    s = load_sprite(dir.path(), *session);
    EXPECT_FALSE(s.ok()) << "a folder is not a sprite file";

    LoadReport report;
    ASSERT_TRUE(load_sprite(notSprite, *session, &report).ok());
    EXPECT_FALSE(report.isSprite);
    EXPECT_EQ(session->currentFileName, "");
    EXPECT_TRUE(session->document == *loaded);
}

TEST(LoadFile, ReadOnlyFileOpens) {
    test::TempDir dir;
    const std::string path = dir.file("ro.spr");
    test::write_bytes(path, encode(*test::make_document({})));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    auto session = make_session();
    const Status s = load_sprite(path, *session);
    EXPECT_TRUE(s.ok()) << s.message();
}

TEST(LoadFile, ShorterThanTheSignatureIsReadBeyondEnd) {
    test::TempDir dir;
    const std::string path = dir.file("short.spr");
    test::write_bytes(path, {'<', 's', 'p'});
    auto session = make_session();
    EXPECT_EQ(load_sprite(path, *session).message(), "Read beyond end of file");
}

}  // namespace
}  // namespace dabro
