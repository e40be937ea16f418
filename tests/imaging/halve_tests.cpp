#include <gtest/gtest.h>

#include "imaging/halve.h"
#include "imaging/rle.h"
#include "reference.h"
#include "support/sprite_builder.h"

namespace dabro {
namespace {

using Data = std::vector<std::uint8_t>;
using test::image_of;

// One pixel per column and row, so every pixel's place is known: index = 10 * y + x.
Data numbered(int w, int h) {
    Data d;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) append_pixel(d, static_cast<std::uint8_t>(10 * y + x), 200);
    return d;
}

Data pixels_with_indexes(std::initializer_list<int> indexes) {
    Data d;
    for (int i : indexes) append_pixel(d, static_cast<std::uint8_t>(i), 200);
    return d;
}

TEST(Halve, Table) {
    struct Case {
        const char* name;
        std::int32_t w, h;
        Data data;
        std::int32_t hw, hh;
        Data halved;
    };
    const Case cases[] = {
        {"5x3 keeps columns 0, 2, 4 of rows 0 and 2", 5, 3, numbered(5, 3), 3, 2,
         pixels_with_indexes({0, 2, 4, 20, 22, 24})},
        {"1x1 stays", 1, 1, {0x05, 7}, 1, 1, {6, 7, 255}},
        {"4x2 from kind 2 and kind 0 runs",
         4,
         2,
         {0x0A, 1, 2, 3, 4, 0x0A, 5, 6, 7, 8, 0x10},
         2,
         1,
         {6, 1, 2, 6, 5, 6}},
        {"kind 3 becomes index 0, kind 2 alpha 0 the byte 4",
         4,
         1,
         {0x07, 0x33, 0x03, 0x04, 0x06, 9, 0},
         2,
         1,
         {6, 0, 0x33, 4}},
        {"no data", 7, 9, {}, 4, 5, {}},
        {"odd and zero sizes", 0, 1, {}, 0, 1, {}},
        {"negative sizes truncate toward zero", -5, -4, {}, -2, -1, {}},
        {"the largest size does not overflow",
         2147483647,
         -2147483647 - 1,
         {},
         1073741824,
         -1073741823,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = image_of(c.w, c.h, c.data);
        image.kind = 3;
        image.flag = 9;
        image.sourceName.assign("src.bmp");
        ASSERT_TRUE(test::halve_in_place(image).ok());
        EXPECT_EQ(image.width, c.hw);
        EXPECT_EQ(image.height, c.hh);
        EXPECT_EQ(image.data, c.halved);
        EXPECT_EQ(image.dataLength, static_cast<std::int32_t>(c.halved.size()));
        EXPECT_EQ(image.kind, 3);
        EXPECT_EQ(image.flag, 9);
        EXPECT_EQ(image.sourceName.view(), "src.bmp");
    }
}

TEST(Halve, TransparentRunsCanGrow) {
    // 64x64, each row stored as FC 04 (63 + 1 transparent pixels): 128 bytes.
    Data data;
    for (int y = 0; y < 64; ++y) {
        data.push_back(0xFC);
        data.push_back(0x04);
    }
    auto image = image_of(64, 64, data);
    ASSERT_TRUE(test::halve_in_place(image).ok());
    EXPECT_EQ(image.width, 32);
    EXPECT_EQ(image.height, 32);
    EXPECT_EQ(image.data, Data(1024, 4));
}

TEST(Halve, TwiceFiveByFive) {
    auto image = image_of(5, 5, numbered(5, 5));
    ASSERT_TRUE(test::halve_in_place(image).ok());
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 3);
    EXPECT_EQ(image.data, pixels_with_indexes({0, 2, 4, 20, 22, 24, 40, 42, 44}));
    ASSERT_TRUE(test::halve_in_place(image).ok());
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.data, pixels_with_indexes({0, 4, 40, 44}));
}

// Runs that cross rows, kinds 1 and 3, cut commands: halving keeps exactly the pixels the
// halving walk puts at even x and even y.
TEST(Halve, AgreesWithTheReferenceOnOtherEncodersData) {
    test::Rng rng(5);
    for (int round = 0; round < 200; ++round) {
        const int w = 1 + rng.below(15);
        const int h = 1 + rng.below(15);
        Data data = round % 3 == 0
                        ? test::random_bytes(rng, static_cast<std::size_t>(rng.below(200)))
                        : test::mixed_rle(w, h, rng.next());
        Data expected;
        for (const auto& p : test::reference_decode(data, w, true))
            if (p.x % 2 == 0 && p.y % 2 == 0)
                append_pixel(expected, static_cast<std::uint8_t>(p.index),
                             static_cast<std::uint8_t>(p.alpha));
        auto image = image_of(w, h, data);
        ASSERT_TRUE(test::halve_in_place(image).ok());
        ASSERT_EQ(image.data, expected) << "round " << round;
    }
}

TEST(Halve, HostileWidthCostsOnlyWhatTheDataHold) {
    // The data cover 63 pixels of one row however wide the image says it is.
    auto image = image_of(2147483647, 2147483647, {0xFC});
    ASSERT_TRUE(test::halve_in_place(image).ok());
    EXPECT_EQ(image.data, Data(32, 4));
    EXPECT_LE(image.data.capacity(), 32u);
}

TEST(Halve, DataPastItsLengthAreNotRead) {
    auto image = image_of(2, 1, {0x05, 1, 0x05, 2});
    image.dataLength = 2;
    ASSERT_TRUE(test::halve_in_place(image).ok());
    EXPECT_EQ(image.data, (Data{6, 1, 255}));
}

}  // namespace
}  // namespace dabro
