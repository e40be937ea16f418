#include <gtest/gtest.h>

#include "imaging/rle.h"
#include "reference.h"
#include "support/sprite_builder.h"

namespace dabro {
namespace {

using test::RefPixel;
using Data = std::vector<std::uint8_t>;

template <RowRule Rule>
std::vector<RefPixel> decode(const Data& data, std::int32_t width, WalkEnd* end = nullptr) {
    std::vector<RefPixel> out;
    const WalkEnd e =
        walk_rle<Rule>(data, width, [&](std::int64_t x, std::int64_t y, const RlePixel& p) {
            out.push_back({x, y, p.kind, p.index, p.alpha});
        });
    if (end) *end = e;
    return out;
}

struct DecodeCase {
    const char* name;
    Data data;
    std::int32_t width;
    std::vector<RefPixel> preview;
    std::vector<RefPixel> halving;
    WalkEnd end = WalkEnd::Complete;
};

std::vector<DecodeCase> decode_cases() {
    return {
        {"count zero of every kind", {0x00, 0x01, 0x02, 0x03}, 4, {}, {}},
        {"count zero then a pixel",
         {0x00, 0x01, 0x05, 0x09},
         4,
         {{0, 0, 1, 9, 255}},
         {{0, 0, 1, 9, 255}}},
        {"kind 0",
         {0x08},
         4,
         {{0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}},
         {{0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}}},
        {"kind 1 takes one index per pixel",
         {0x0D, 0x01, 0x02, 0x03},
         8,
         {{0, 0, 1, 1, 255}, {1, 0, 1, 2, 255}, {2, 0, 1, 3, 255}},
         {{0, 0, 1, 1, 255}, {1, 0, 1, 2, 255}, {2, 0, 1, 3, 255}}},
        {"kind 2 takes index then alpha",
         {0x0A, 0x05, 0x40, 0x06, 0xFF},
         8,
         {{0, 0, 2, 5, 64}, {1, 0, 2, 6, 255}},
         {{0, 0, 2, 5, 64}, {1, 0, 2, 6, 255}}},
        {"kind 3 is black with alpha", {0x07, 0x80}, 8, {{0, 0, 3, 0, 128}}, {{0, 0, 3, 0, 128}}},
        {"run past the row",
         {0x0C, 0x04},
         2,
         {{0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}, {2, 0, 0, 0, 0}, {0, 1, 0, 0, 0}},
         {{0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {1, 1, 0, 0, 0}}},
        {"count zero ends a full row under the preview rule",
         {0x04, 0x00, 0x04},
         1,
         {{0, 0, 0, 0, 0}, {0, 1, 0, 0, 0}},
         {{0, 0, 0, 0, 0}, {0, 1, 0, 0, 0}}},
        {"count zero leaves a row that is not full",
         {0x04, 0x00, 0x04},
         2,
         {{0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}},
         {{0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}}},
        {"width 0 ends the row after every check",
         {0x08, 0x00, 0x04},
         0,
         {{0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}, {0, 2, 0, 0, 0}},
         {{0, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 2, 0, 0, 0}}},
        {"a cut kind 2 command delivers nothing and stops",
         {0x05, 0x07, 0x0A, 0x01, 0x02, 0x03},
         8,
         {{0, 0, 1, 7, 255}},
         {{0, 0, 1, 7, 255}},
         WalkEnd::CutShort},
        {"a cut kind 1 command", {0x0D, 0x01}, 8, {}, {}, WalkEnd::CutShort},
        {"a cut kind 3 command",
         {0x04, 0x0B},
         8,
         {{0, 0, 0, 0, 0}},
         {{0, 0, 0, 0, 0}},
         WalkEnd::CutShort},
    };
}

TEST(RleWalk, TableUnderBothRowRules) {
    for (const DecodeCase& c : decode_cases()) {
        SCOPED_TRACE(c.name);
        WalkEnd end{};
        EXPECT_EQ(decode<RowRule::Preview>(c.data, c.width, &end), c.preview);
        EXPECT_EQ(end, c.end);
        EXPECT_EQ(decode<RowRule::Halving>(c.data, c.width, &end), c.halving);
        EXPECT_EQ(end, c.end);
    }
}

TEST(RleWalk, SixtyThreePixelRunPastTheRow) {
    const auto preview = decode<RowRule::Preview>({0xFC, 0x04}, 10);
    ASSERT_EQ(preview.size(), 64u);
    EXPECT_EQ(preview[62], (RefPixel{62, 0, 0, 0, 0}));
    EXPECT_EQ(preview[63], (RefPixel{0, 1, 0, 0, 0}));
    const auto halving = decode<RowRule::Halving>({0xFC, 0x04}, 10);
    EXPECT_EQ(halving[62], (RefPixel{2, 6, 0, 0, 0}));
    EXPECT_EQ(halving[63], (RefPixel{3, 6, 0, 0, 0}));
}

TEST(RleWalk, VisitorCanStopTheWalk) {
    int seen = 0;
    const WalkEnd end = walk_rle<RowRule::Preview>(
        Data{0x10}, 8, [&](std::int64_t, std::int64_t, const RlePixel&) { return ++seen < 2; });
    EXPECT_EQ(end, WalkEnd::Stopped);
    EXPECT_EQ(seen, 2);
}

// Other encoders' data, well-formed or not, decode as the format's rules say.
TEST(RleWalk, AgreesWithTheReferenceOnMixedAndRandomData) {
    test::Rng rng(7);
    for (int round = 0; round < 300; ++round) {
        const int width = rng.below(12);
        Data data = round % 2 ? test::mixed_rle(width + 1, 1 + rng.below(9), rng.next())
                              : test::random_bytes(rng, static_cast<std::size_t>(rng.below(200)));
        EXPECT_EQ(decode<RowRule::Preview>(data, width),
                  test::reference_decode(data, width, false));
        EXPECT_EQ(decode<RowRule::Halving>(data, width), test::reference_decode(data, width, true));
    }
}

TEST(RleWalk, NeverReadsPastDataLength) {
    CollectionImage image;
    image.data = {0x05, 0x01, 0x05, 0x02};
    image.dataLength = 2;  // the buffer is longer than the data it holds
    EXPECT_EQ(encoded_bytes(image).size(), 2u);
    image.dataLength = 9;  // or shorter
    EXPECT_EQ(encoded_bytes(image).size(), 4u);
    image.dataLength = -1;
    EXPECT_TRUE(encoded_bytes(image).empty());
}

TEST(RleEncode, OnePixelEncoding) {
    struct Case {
        std::uint8_t index, alpha;
        Data bytes;
    };
    for (const Case& c :
         std::vector<Case>{{7, 0, {4}}, {0, 0, {4}}, {7, 255, {6, 7, 255}}, {0, 1, {6, 0, 1}}}) {
        Data out;
        append_pixel(out, c.index, c.alpha);
        EXPECT_EQ(out, c.bytes);
        EXPECT_EQ(encoded_pixel_size(c.alpha), c.bytes.size());
    }
}

}  // namespace
}  // namespace dabro
