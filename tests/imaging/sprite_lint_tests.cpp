// Each lint rule on a sprite made to break it, and a clean sprite with no findings.
#include <gtest/gtest.h>

#include <functional>

#include "imaging/pixel_image.h"
#include "imaging/sprite_lint.h"
#include "tests/support/sprite_builder.h"

namespace dabro {
namespace {

// Collection 0: 2 frames x 2 directions of 3 x 2 images, each pixel its own palette entry;
// sequence 0 shows both frames.
std::unique_ptr<SpriteDocument> clean_document() {
    auto doc = std::make_unique<SpriteDocument>();
    doc->sequenceCount = 1;
    Sequence& seq = doc->sequences[0];
    seq.frameCount = 2;
    seq.imageIndex[1] = 1;
    doc->collectionCount = 1;
    ImageCollection& col = doc->collections[0];
    col.imageSectionType = kReadableSection;
    col.frames = 2;
    col.directions = 2;
    for (int i = 0; i < kPaletteEntries; ++i)
        col.palettes[0][static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(i * 0x010203);
    for (int k = 0; k < 4; ++k) {
        PixelImage pixels{3, 2, {}};
        for (int p = 0; p < 6; ++p)
            pixels.pixels.push_back(indexed_pixel(static_cast<std::uint8_t>(k * 6 + p), 255));
        CollectionImage& img = col.images[static_cast<std::size_t>(k)];
        img.width = 3;
        img.height = 2;
        img.set_data(encode_compact(pixels));
        col.boxes[static_cast<std::size_t>(k)] = {0, 0, 3, 2};
    }
    return doc;
}

struct Breakage {
    const char* rule;
    std::function<void(SpriteDocument&)> breakIt;
    const char* place;
    const char* says = "";  // part of the message
};

void PrintTo(const Breakage& b, std::ostream* os) {
    *os << b.rule;
}

class LintRule : public testing::TestWithParam<Breakage> {};

TEST_P(LintRule, FindsExactlyWhatWasBroken) {
    auto doc = clean_document();
    GetParam().breakIt(*doc);
    const std::vector<LintFinding> findings = lint_sprite(*doc);
    ASSERT_EQ(findings.size(), 1u) << findings[0].rule << ": " << findings[0].message;
    EXPECT_EQ(findings[0].rule, GetParam().rule);
    EXPECT_EQ(lint_place(findings[0]), GetParam().place);
    EXPECT_NE(findings[0].message.find(GetParam().says), std::string::npos) << findings[0].message;
    EXPECT_TRUE(lint_sprite(*doc, {GetParam().rule}).empty());
}

CollectionImage& image(SpriteDocument& d, int k) {
    return d.collections[0].images[static_cast<std::size_t>(k)];
}

INSTANTIATE_TEST_SUITE_P(
    Rules, LintRule,
    testing::Values(
        Breakage{"missing-collection",
                 [](SpriteDocument& d) {
                     d.sequences[1] = d.sequences[0];
                     d.sequences[1].collectionIndex = 1;
                     d.sequenceCount = 2;
                 },
                 "sequence 1"},
        Breakage{"empty-sequence",
                 [](SpriteDocument& d) {
                     d.sequenceCount = 2;
                     d.sequences[1].frameCount = 0;
                 },
                 "sequence 1"},
        Breakage{"missing-frame", [](SpriteDocument& d) { d.sequences[0].imageIndex[1] = 2; },
                 "sequence 0, frame 1"},
        Breakage{"unused-collection",
                 [](SpriteDocument& d) {
                     d.collections[1] = d.collections[0];
                     d.collections[1].frames = 0;
                     d.collectionCount = 2;
                 },
                 "collection 1"},
        Breakage{"empty-image",
                 [](SpriteDocument& d) {
                     image(d, 3) = CollectionImage{};
                     d.collections[0].boxes[3] = {};  // its box still fits it
                 },
                 "collection 0, image 3"},
        Breakage{"duplicate-images",
                 [](SpriteDocument& d) {
                     // The same pixels as image 0 in another encoding.
                     PixelImage pixels;
                     ASSERT_TRUE(decode_pixels(image(d, 0), pixels).ok());
                     image(d, 2).set_data(encode_one_pixel(pixels));
                 },
                 "collection 0, image 2", "image 0"},
        Breakage{"row-crossing-runs",
                 [](SpriteDocument& d) {
                     // One run of six opaque pixels over both rows of a 3 x 2 image.
                     image(d, 1).set_data({6 << 2 | 1, 6, 7, 8, 9, 10, 11});
                 },
                 "collection 0, image 1"},
        Breakage{"truncated-runs",
                 [](SpriteDocument& d) {
                     // A run of two indices whose second operand is missing.
                     std::vector<std::uint8_t> data = image(d, 1).data;
                     data.push_back(2 << 2 | 1);
                     data.push_back(9);
                     image(d, 1).set_data(data);
                 },
                 "collection 0, image 1"},
        Breakage{"duplicate-palette-colours",
                 [](SpriteDocument& d) {
                     d.collections[0].palettes[0][7] = d.collections[0].palettes[0][2];
                     d.collections[0].palettes[0][30] = d.collections[0].palettes[0][2];  // unused
                 },
                 "collection 0, entries 2, 7", "at entries 2, 7,"},
        Breakage{"box-outside-image",
                 [](SpriteDocument& d) {
                     // An image no sequence shows, so its box's size is not checked.
                     d.collections[0].frames = 3;
                     d.collections[0].boxes[5] = {0, 2, 0, 1};
                 },
                 "collection 0, image 5"},
        Breakage{"box-size-mismatch",
                 [](SpriteDocument& d) { d.collections[0].boxes[2].right = 4; },
                 "collection 0, image 2", "the box is 4 x 2 pixels, but the image is 3 x 2"},
        Breakage{"compressed-images",
                 [](SpriteDocument& d) {
                     d.collections[0].imageSectionType = 'c';
                     image(d, 0) = CollectionImage{};  // never read, so never examined
                 },
                 "collection 0"}));

TEST(Lint, CleanSpriteHasNoFindings) {
    EXPECT_TRUE(lint_sprite(*clean_document()).empty());
}

TEST(Lint, RunsCrossingRowsThatBothRulesReadAlikeAreNotReported) {
    const std::vector<std::uint8_t> alike[] = {
        {6 << 2 | 0},                          // one transparent run over the whole 3 x 2 image
        {4 << 2 | 2, 1, 0, 2, 0, 3, 0, 4, 0},  // index-alpha pixels, all of alpha 0
        {2 << 2 | 1, 1, 2, 4 << 2 | 0},        // opaque pixels, then transparent past the row
    };
    for (const auto& data : alike) {
        auto doc = clean_document();
        image(*doc, 1).set_data(data);
        EXPECT_TRUE(lint_sprite(*doc).empty()) << lint_place(lint_sprite(*doc)[0]);
    }
}

TEST(Lint, ThreadCountDoesNotChangeTheFindings) {
    // A large random document, so the walks are shared out, with every kind of finding.
    test::DocumentShape shape;
    shape.sequences = 40;
    shape.collections = {{60, 8}, {1, 1}, {8, 4, ' '}};
    shape.imageWidth = 48;
    shape.imageHeight = 40;
    auto doc = test::make_document(shape);
    doc->collections[0].images[5] = doc->collections[0].images[100];
    auto text = [](const std::vector<LintFinding>& findings) {
        std::string all;
        for (const LintFinding& f : findings)
            all += lint_place(f) + ": " + f.rule + ": " + f.message + "\n";
        return all;
    };
    const std::string one = text(lint_sprite(*doc, {}, 1));
    EXPECT_NE(one.find("collection 0, image 100: duplicate-images"), std::string::npos) << one;
    EXPECT_EQ(text(lint_sprite(*doc, {}, 4)), one);
}

}  // namespace
}  // namespace dabro
