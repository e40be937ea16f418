#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "document/document_edits.h"
#include "support/sprite_builder.h"

namespace dabro {
namespace {

std::unique_ptr<SpriteDocument> sample() {
    return test::make_document(
        {.sequences = 3, .framesPerSequence = 4, .collections = {{3, 8}, {5, 1}}});
}

TEST(ImageRef, FollowsTheSlotRule) {
    const auto doc = sample();
    const ImageRef eight = image_ref(*doc, 0, 2, 5);
    EXPECT_EQ(eight.collection, 0);
    EXPECT_EQ(eight.slot, 21);
    EXPECT_EQ(image_ref(*doc, 1, 2, 0).slot, 2);
}

struct BadPosition {
    int collection;
    int frame;
    int direction;
};

class ImageRefOutside : public ::testing::TestWithParam<BadPosition> {};

TEST_P(ImageRefOutside, IsInvalid) {
    const auto doc = sample();
    const BadPosition p = GetParam();
    const ImageRef ref = image_ref(*doc, p.collection, p.frame, p.direction);
    EXPECT_FALSE(is_valid(*doc, ref));
}

INSTANTIATE_TEST_SUITE_P(Edits, ImageRefOutside,
                         ::testing::Values(BadPosition{-1, 0, 0}, BadPosition{2, 0, 0},
                                           BadPosition{50, 0, 0}, BadPosition{0, 3, 0},
                                           BadPosition{0, 0, 8}, BadPosition{0, -1, 0},
                                           BadPosition{0, 0, -1}, BadPosition{1, 0, 1}));

// Every operation aimed at something not in use must leave the whole document as it was.
struct MissedEdit {
    const char* name;
    std::function<void(SpriteDocument&)> apply;
};

class EditOutsideTheTables : public ::testing::TestWithParam<MissedEdit> {};

TEST_P(EditOutsideTheTables, ChangesNothing) {
    auto doc = sample();
    const auto before = std::make_unique<SpriteDocument>(*doc);
    GetParam().apply(*doc);
    EXPECT_TRUE(*doc == *before);
}

const ImageRef kPastLastSlot{0, 24};
const ImageRef kNoCollection{2, 0};

INSTANTIATE_TEST_SUITE_P(
    Edits, EditOutsideTheTables,
    ::testing::Values(
        MissedEdit{"NameOfUnusedSequence",
                   [](SpriteDocument& d) { EXPECT_FALSE(set_sequence_name(d, 3, "x")); }},
        MissedEdit{"NameOfNegativeSequence",
                   [](SpriteDocument& d) { EXPECT_FALSE(set_sequence_name(d, -1, "x")); }},
        MissedEdit{"CollectionIndexOfUnusedSequence",
                   [](SpriteDocument& d) { EXPECT_FALSE(set_collection_index(d, 3, 9)); }},
        MissedEdit{"ImageIndexOfUnusedFrame",
                   [](SpriteDocument& d) { EXPECT_FALSE(set_image_index(d, 0, 4, 9)); }},
        MissedEdit{"FrameValueOfNegativeFrame",
                   [](SpriteDocument& d) { EXPECT_FALSE(set_frame_value(d, 0, -1, 9)); }},
        MissedEdit{"AddFrameToUnusedSequence",
                   [](SpriteDocument& d) { EXPECT_EQ(add_frame(d, 3), TableEdit::NoTarget); }},
        MissedEdit{"DeleteFrameOfNoSequence",
                   [](SpriteDocument& d) { EXPECT_EQ(delete_frame(d, -1), TableEdit::NoTarget); }},
        MissedEdit{"WidthPastLastSlot",
                   [](SpriteDocument& d) { EXPECT_FALSE(set_image_width(d, kPastLastSlot, 1)); }},
        MissedEdit{"HeightOfNoCollection",
                   [](SpriteDocument& d) { EXPECT_FALSE(set_image_height(d, kNoCollection, 1)); }},
        MissedEdit{"BoxPastLastSlot",
                   [](SpriteDocument& d) {
                       EXPECT_FALSE(set_box(d, kPastLastSlot, {1, 2, 3, 4}));
                   }},
        MissedEdit{"PaletteOfUnusedCollection",
                   [](SpriteDocument& d) { EXPECT_FALSE(set_palette(d, 2, Palette{})); }},
        MissedEdit{"SameValueAgain",
                   [](SpriteDocument& d) {
                       EXPECT_FALSE(set_frame_value(d, 1, 1, d.sequences[1].frameValue[1]));
                   }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SequenceEdits, NameKeepsItsFirst40CharactersAndLengthFollows) {
    auto doc = sample();
    const std::string long45(45, 'n');
    EXPECT_TRUE(set_sequence_name(*doc, 1, long45));
    EXPECT_EQ(doc->sequences[1].name.str(), long45.substr(0, 40));
    EXPECT_EQ(doc->sequences[1].nameLength, 40);
    EXPECT_FALSE(set_sequence_name(*doc, 1, long45)) << "the same cut name is no change";
    EXPECT_TRUE(set_sequence_name(*doc, 1, "abcde"));
    EXPECT_EQ(doc->sequences[1].name.str(), "abcde");
    EXPECT_EQ(doc->sequences[1].nameLength, 5);
}

TEST(SequenceEdits, ValuesLandInTheSelectedSlotOnly) {
    auto doc = sample();
    const auto before = std::make_unique<SpriteDocument>(*doc);
    EXPECT_TRUE(set_collection_index(*doc, 2, 4464));
    EXPECT_TRUE(set_image_index(*doc, 2, 3, -1));
    EXPECT_TRUE(set_frame_value(*doc, 2, 0, -7));
    EXPECT_EQ(doc->sequences[2].collectionIndex, 4464);
    EXPECT_EQ(doc->sequences[2].imageIndex[3], -1);
    EXPECT_EQ(doc->sequences[2].frameValue[0], -7);
    doc->sequences[2] = before->sequences[2];
    EXPECT_TRUE(*doc == *before);
}

TEST(SequenceTable, AddStopsAtFiftyAndDeleteAtZero) {
    auto doc = std::make_unique<SpriteDocument>();
    for (int i = 0; i < kMaxSequences; ++i) ASSERT_EQ(add_sequence(*doc), TableEdit::Changed);
    EXPECT_EQ(add_sequence(*doc), TableEdit::Full);
    EXPECT_EQ(doc->sequenceCount, kMaxSequences);
    for (int i = 0; i < kMaxSequences; ++i) ASSERT_EQ(delete_sequence(*doc), TableEdit::Changed);
    EXPECT_EQ(delete_sequence(*doc), TableEdit::Empty);
    EXPECT_EQ(doc->sequenceCount, 0);
}

TEST(SequenceTable, AddAfterDeleteReusesTheSlotWithANewNameAndNoFrames) {
    auto doc = sample();
    const Sequence last = doc->sequences[2];
    ASSERT_EQ(delete_sequence(*doc), TableEdit::Changed);
    ASSERT_EQ(add_sequence(*doc), TableEdit::Changed);
    const Sequence& again = doc->sequences[2];
    EXPECT_EQ(doc->sequenceCount, 3);
    EXPECT_EQ(again.name.str(), "<new_sequence>");
    EXPECT_EQ(again.nameLength, 14);
    EXPECT_EQ(again.frameCount, 0);
    EXPECT_EQ(again.collectionIndex, last.collectionIndex);
    EXPECT_EQ(again.imageIndex, last.imageIndex);
    EXPECT_EQ(again.frameValue, last.frameValue);
}

TEST(FrameTable, AddStopsAtAHundredWithZeroedFramesAndDeleteAtZero) {
    auto doc = sample();
    doc->sequences[0].imageIndex.fill(77);
    doc->sequences[0].frameValue.fill(88);
    while (doc->sequences[0].frameCount < kMaxSequenceFrames)
        ASSERT_EQ(add_frame(*doc, 0), TableEdit::Changed);
    EXPECT_EQ(add_frame(*doc, 0), TableEdit::Full);
    for (int i = 4; i < kMaxSequenceFrames; ++i) {
        EXPECT_EQ(doc->sequences[0].imageIndex[i], 0) << i;
        EXPECT_EQ(doc->sequences[0].frameValue[i], 0) << i;
    }
    EXPECT_EQ(doc->sequences[0].imageIndex[3], 77) << "frames in use stay";
    while (doc->sequences[0].frameCount > 0) ASSERT_EQ(delete_frame(*doc, 0), TableEdit::Changed);
    EXPECT_EQ(delete_frame(*doc, 0), TableEdit::Empty);
    EXPECT_EQ(doc->sequences[1].frameCount, 4);
}

TEST(ImageEdits, SizeAndBoxTouchOnlyTheirSlot) {
    auto doc = sample();
    const auto before = std::make_unique<SpriteDocument>(*doc);
    const ImageRef ref = image_ref(*doc, 0, 2, 5);
    EXPECT_TRUE(set_image_width(*doc, ref, -3));
    EXPECT_TRUE(set_image_height(*doc, ref, 2147483647));
    EXPECT_TRUE(set_box(*doc, ref, {5, 6, 1, 2}));
    const ImageCollection& col = doc->collections[0];
    EXPECT_EQ(col.images[21].width, -3);
    EXPECT_EQ(col.images[21].height, 2147483647);
    EXPECT_EQ(col.boxes[21], (BoundingBox{5, 6, 1, 2}));
    EXPECT_EQ(col.images[21].data, before->collections[0].images[21].data) << "pixels stay";
    doc->collections[0].images[21] = before->collections[0].images[21];
    doc->collections[0].boxes[21] = before->collections[0].boxes[21];
    EXPECT_TRUE(*doc == *before);
}

TEST(PaletteEdits, OnlyPaletteZeroOfThatCollectionChanges) {
    auto doc = sample();
    const auto before = std::make_unique<SpriteDocument>(*doc);
    Palette p{};
    p[0] = 0x123456;
    EXPECT_TRUE(set_palette(*doc, 1, p));
    EXPECT_EQ(doc->collections[1].palettes[0], p);
    EXPECT_FALSE(set_palette(*doc, 1, p));
    doc->collections[1].palettes[0] = before->collections[1].palettes[0];
    EXPECT_TRUE(*doc == *before);
}

TEST(ResetDocument, ZeroesHeaderAndCountsAndKeepsSlots) {
    auto session = make_session();
    session->document = *sample();
    session->currentFileName = "/tmp/a.spr";
    session->imagesReadable = true;
    const Sequence kept = session->document.sequences[0];
    EXPECT_TRUE(reset_document(*session));
    EXPECT_EQ(session->document.sequenceCount, 0);
    EXPECT_EQ(session->document.collectionCount, 0);
    EXPECT_EQ(session->document.centerX, 0);
    EXPECT_TRUE(session->currentFileName.empty());
    EXPECT_TRUE(session->imagesReadable);
    EXPECT_EQ(session->document.sequences[0], kept);
    EXPECT_FALSE(reset_document(*session));
}

}  // namespace
}  // namespace dabro
