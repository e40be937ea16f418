#include <gtest/gtest.h>

#include <sys/stat.h>

#include "document/byte_reader.h"
#include "document/file_layer.h"
#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "support/memory_files.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

std::vector<std::uint8_t> encode(const SpriteDocument& doc, const HeaderValues& header) {
    std::vector<std::uint8_t> bytes;
    const Status s = encode_sprite(doc, header, bytes);
    EXPECT_TRUE(s.ok()) << s.message();
    return bytes;
}

std::int32_t i32_at(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    ByteReader r(bytes);
    r.seek(at);
    return r.i32();
}

TEST(Save, EmptyDocumentIs33Bytes) {
    const auto doc = std::make_unique<SpriteDocument>();
    HeaderValues h;
    h.dimensions = {1, 2, 3};
    h.centerX = -2;
    h.centerY = 70000;
    h.headerWord = 0xBEEF;
    h.headerByte = 9;
    const auto bytes = encode(*doc, h);
    test::Bytes expected;
    expected.signature().u8(1).u8(2).u8(3).i32(-2).i32(70000).u16(0xBEEF).u8(9).i32(0).i32(0);
    EXPECT_EQ(bytes, expected.get());
}

TEST(Save, OneCollectionOfOneImageIs4249BytesWithItsOffsetPatched) {
    auto doc = std::make_unique<SpriteDocument>();
    doc->collectionCount = 1;
    ImageCollection& col = doc->collections[0];
    col.set_name("a");
    col.frames = 1;
    col.directions = 1;
    col.imageSectionType = kReadableSection;
    col.imageSectionOffset = 12345;  // what an earlier file said; never written
    col.images[0].set_data({0x09, 1, 2, 0x05, 7, 0, 0, 0, 0, 0});
    const auto bytes = encode(*doc, header_of(*doc));
    EXPECT_EQ(bytes.size(), 4249u);
    EXPECT_EQ(i32_at(bytes, 45), 78);
    EXPECT_EQ(std::string(bytes.begin() + 78, bytes.begin() + 91), "<spranim_img>");
    EXPECT_EQ(test::read_bytes(test::test_data("fixtures/one-collection.spr")).size(),
              bytes.size());
}

TEST(Save, EveryOffsetFieldPointsAtItsSection) {
    const auto doc =
        test::make_document({.collections = {{2, 3}, {1, 1, kShortSection}, {0, 4}, {3, 1}}});
    const auto bytes = encode(*doc, header_of(*doc));
    auto session = make_session();
    ASSERT_TRUE(test::load_bytes(bytes, "o.spr", *session).ok());
    for (int c = 0; c < 4; ++c) {
        const auto at =
            static_cast<std::size_t>(session->document.collections[c].imageSectionOffset);
        ASSERT_LT(at + 14, bytes.size());
        EXPECT_EQ(std::string(bytes.begin() + static_cast<long>(at),
                              bytes.begin() + static_cast<long>(at) + 13),
                  "<spranim_img>")
            << "collection " << c;
        EXPECT_EQ(static_cast<char>(bytes[at + 14]), doc->collections[c].imageSectionType);
    }
}

TEST(Save, ShortSectionIs20BytesEndingInItsValue) {
    auto doc = test::make_document({.sequences = 0, .collections = {{2, 2, kShortSection}}});
    const auto bytes = encode(*doc, header_of(*doc));
    const std::size_t section = bytes.size() - 20;
    EXPECT_EQ(i32_at(bytes, 33 + 12), static_cast<std::int32_t>(section));
    EXPECT_EQ(bytes[section + 14], ' ');
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.end() - 5, bytes.end()),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 0}));
}

TEST(Save, WritesAll256PaletteEntriesWhateverTheFileHeld) {
    auto session = make_session();
    Palette& old = session->document.collections[0].palettes[3];
    for (int i = 0; i < 256; ++i) old[i] = 0x00ABCD00u + static_cast<std::uint32_t>(i);
    test::Bytes b;
    b.signature().header(0).i32(1).collection_tag().i32(0).name("p").i32(0).i32(0).section_start(
        '1');
    b.i32(0).i32(0).i32(0).i32(2).u32(0x111111).u32(0x222222);
    ASSERT_TRUE(test::load_bytes(b.get(), "p.spr", *session).ok());
    const auto bytes = encode(session->document, header_of(session->document));
    const std::size_t palette3 = bytes.size() - 1028;
    EXPECT_EQ(i32_at(bytes, palette3), 256);
    EXPECT_EQ(i32_at(bytes, palette3 + 4), 0x111111);
    EXPECT_EQ(i32_at(bytes, palette3 + 8), 0x222222);
    EXPECT_EQ(i32_at(bytes, palette3 + 12), 0x00ABCD02);
}

TEST(Save, RenamedSequenceWritesOnlyItsNewName) {
    auto doc = test::make_document(
        {.sequences = 1, .framesPerSequence = 0, .nameLength = 12, .collections = {}});
    doc->sequences[0].set_name("short");
    EXPECT_EQ(doc->sequences[0].nameLength, 5);
    const auto bytes = encode(*doc, header_of(*doc));
    EXPECT_EQ(bytes.size(), 29u + 10 + 5 + 4);
    EXPECT_EQ(std::string(bytes.begin() + 37, bytes.begin() + 42), "short");
}

TEST(Save, RefusesACollectionWhoseImagesWereNeverRead) {
    auto doc = test::make_document({.collections = {{1, 1}, {1, 1}}});
    doc->collections[1].imageSectionType = 'C';
    doc->collections[1].set_name("packed");
    test::TempDir dir;
    const std::string path = dir.file("out.spr");
    const Status s = save_sprite(path, *doc, header_of(*doc));
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.message().find("Collection 1 'packed'"), std::string::npos) << s.message();
    EXPECT_TRUE(dir.entries().empty()) << "nothing may be written";
}

TEST(SaveFile, ReplacesTheTargetKeepingItsPermissionsAndLeavesNoTemporaryFile) {
    test::TempDir dir;
    const std::string path = dir.file("keep.spr");
    test::write_bytes(path, {1, 2, 3});
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const auto doc = test::make_document({});
    ASSERT_TRUE(save_sprite(path, *doc, header_of(*doc)).ok());
    EXPECT_EQ(test::read_bytes(path), encode(*doc, header_of(*doc)));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"keep.spr"});
}

TEST(SaveFile, MissingFolderFailsWithFileNotFound) {
    test::TempDir dir;
    const auto doc = test::make_document({});
    const Status s = save_sprite(dir.file("no/such/folder.spr"), *doc, header_of(*doc));
    EXPECT_EQ(s.code(), ErrorCode::FileNotFound);
}

TEST(SaveFile, OverwritesItselfFromTheSameDocument) {
    test::TempDir dir;
    const std::string path = dir.file("self.spr");
    const auto doc = test::make_document({.collections = {{2, 2}}});
    ASSERT_TRUE(save_sprite(path, *doc, header_of(*doc)).ok());
    auto session = make_session();
    ASSERT_TRUE(load_sprite(path, *session).ok());
    ASSERT_TRUE(save_sprite(path, session->document, header_of(session->document)).ok());
    EXPECT_EQ(test::read_bytes(path), encode(*doc, header_of(*doc)));
}

}  // namespace
}  // namespace dabro
