#include <gtest/gtest.h>

#include <random>

#include "imaging/colour_match.h"
#include "imaging/pixel_image.h"
#include "imaging/rle.h"
#include "support/sprite_builder.h"

namespace dabro {
namespace {

// Pixels in runs of random length and kind, so runs meet row ends and the 63-pixel limit.
PixelImage random_pixels(std::int32_t width, std::int32_t height, std::uint32_t seed) {
    std::mt19937 rng(seed);
    PixelImage image{width, height, {}};
    const auto n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    while (image.pixels.size() < n) {
        const auto kind = rng() % 4;
        const std::size_t run = rng() % 8 == 0 ? 40 + rng() % 100 : 1 + rng() % 5;
        for (std::size_t i = 0; i < run && image.pixels.size() < n; ++i) {
            const auto index = static_cast<std::uint8_t>(rng());
            const auto alpha = static_cast<std::uint8_t>(1 + rng() % 254);
            image.pixels.push_back(kind == 0   ? transparent_pixel()
                                   : kind == 1 ? indexed_pixel(index, 255)
                                   : kind == 2 ? indexed_pixel(index, alpha)
                                               : black_pixel(alpha));
        }
    }
    return image;
}

CollectionImage stored(const PixelImage& pixels, std::vector<std::uint8_t> data) {
    CollectionImage image;
    image.width = pixels.width;
    image.height = pixels.height;
    image.set_data(std::move(data));
    return image;
}

// What the halving's row rule delivers, laid out by row: it must agree with the preview's.
PixelImage decode_halving(const CollectionImage& image) {
    PixelImage out{image.width, image.height, {}};
    out.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    walk_rle<RowRule::Halving>(
        encoded_bytes(image), image.width, [&](std::int64_t x, std::int64_t y, const RlePixel& p) {
            if (y >= image.height) return false;
            out.pixels[y * image.width + x] = p.kind == 3   ? black_pixel(p.alpha)
                                              : p.kind == 0 ? transparent_pixel()
                                                            : indexed_pixel(p.index, p.alpha);
            return true;
        });
    return out;
}

class EncoderRoundTrip : public testing::TestWithParam<std::tuple<int, int, std::uint32_t>> {};

TEST_P(EncoderRoundTrip, BothEncodingsDecodeToTheSamePixelsUnderBothRowRules) {
    const auto [w, h, seed] = GetParam();
    const PixelImage pixels = random_pixels(w, h, seed);
    for (Encoding e : {Encoding::Compact, Encoding::OnePixel}) {
        const CollectionImage image = stored(pixels, encode_pixels(pixels, e));
        PixelImage decoded;
        ASSERT_TRUE(decode_pixels(image, decoded).ok());
        EXPECT_EQ(decoded, pixels);
        EXPECT_EQ(decode_halving(image), pixels);
    }
    // Commands never span rows and never exceed 63 pixels.
    const CollectionImage compact = stored(pixels, encode_compact(pixels));
    std::int64_t lastRow = 0;
    walk_rle<RowRule::Halving>(encoded_bytes(compact), w,
                               [&](std::int64_t, std::int64_t y, const RlePixel&) { lastRow = y; });
    EXPECT_EQ(lastRow, h - 1);
}

INSTANTIATE_TEST_SUITE_P(Shapes, EncoderRoundTrip,
                         testing::Values(std::tuple{1, 1, 1u}, std::tuple{63, 2, 2u},
                                         std::tuple{64, 3, 3u}, std::tuple{127, 5, 4u},
                                         std::tuple{200, 17, 5u}, std::tuple{3, 90, 6u},
                                         std::tuple{96, 96, 7u}));

TEST(CompactEncoder, WritesRunsOfTheFourKindsSplitAtRowEndsAndAt63) {
    PixelImage image{70, 2, {}};
    for (int i = 0; i < 70; ++i) image.pixels.push_back(indexed_pixel(9, 255));
    image.pixels.push_back(transparent_pixel());
    image.pixels.push_back(black_pixel(7));
    image.pixels.push_back(indexed_pixel(5, 64));
    for (int i = 0; i < 67; ++i) image.pixels.push_back(transparent_pixel());
    const std::vector<std::uint8_t> expected = [] {
        std::vector<std::uint8_t> e{63 << 2 | 1};
        e.insert(e.end(), 63, 9);
        e.push_back(7 << 2 | 1);
        e.insert(e.end(), 7, 9);
        e.insert(e.end(), {1 << 2 | 0, 1 << 2 | 3, 7, 1 << 2 | 2, 5, 64, 63 << 2 | 0, 4 << 2 | 0});
        return e;
    }();
    EXPECT_EQ(encode_compact(image), expected);
}

TEST(OnePixelEncoder, WritesTheProgramsOwnFormAndBlackAsKind3) {
    const PixelImage image{
        4, 1, {transparent_pixel(), indexed_pixel(7, 255), black_pixel(9), indexed_pixel(3, 1)}};
    EXPECT_EQ(encode_one_pixel(image), (std::vector<std::uint8_t>{4, 6, 7, 255, 7, 9, 6, 3, 1}));
}

TEST(DecodePixels, AlphaZeroIsTransparentAndUnreachedPixelsTooAndRunsPastTheRowAreDropped) {
    CollectionImage image;
    image.width = 2;
    image.height = 2;
    // index 5 alpha 0, then a kind 1 run of 3 in a row of 2 (the third pixel is dropped);
    // the second row is never reached.
    image.set_data({0x06, 5, 0, 0x0D, 1, 2, 3});
    PixelImage out;
    ASSERT_TRUE(decode_pixels(image, out).ok());
    EXPECT_EQ(out.pixels, (std::vector<Pixel>{transparent_pixel(), indexed_pixel(1, 255),
                                              transparent_pixel(), transparent_pixel()}));
    image.width = 1 << 14;
    image.height = 1 << 13;
    EXPECT_FALSE(decode_pixels(image, out).ok());
}

TEST(DrawRgba, MatchesDecodingThenRgbaOfOnEveryKindOfData) {
    Palette palette{};
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = static_cast<std::uint32_t>(i * 0x01F3A7u) & 0xFFFFFFu;
    const RgbaPalette rgba = rgba_palette(palette);
    for (std::uint32_t seed = 1; seed < 40; ++seed) {
        CollectionImage image;
        image.width = static_cast<std::int32_t>(1 + seed % 9);
        image.height = static_cast<std::int32_t>(1 + seed % 5);
        image.set_data(test::mixed_rle(image.width, image.height, seed));
        if (seed % 3 == 0) image.data.resize(image.data.size() / 2), image.dataLength /= 2;
        PixelImage pixels;
        ASSERT_TRUE(decode_pixels(image, pixels).ok());
        std::vector<std::uint32_t> fast(pixels.pixels.size(), 0);
        draw_rgba(image, rgba, fast.data(), image.width);
        for (std::size_t i = 0; i < fast.size(); ++i)
            ASSERT_EQ(fast[i], rgba_of(pixels.pixels[i], palette))
                << "seed " << seed << " at " << i;
    }
}

TEST(ColourMatcher, NearestByRgbDistanceTiesToTheLowestIndexAndTheBlackRule) {
    Palette palette{};
    palette.fill(0xFFFFFF);
    palette[3] = 0x100000;  // red 16
    palette[4] = 0x300000;  // red 48: as near to red 32 as index 3
    palette[9] = 0x00FF00;
    auto rgba = [](int r, int g, int b, int a) {
        return static_cast<std::uint32_t>(r | g << 8 | b << 16 | a << 24);
    };
    ColourMatcher noBlack(palette);
    EXPECT_EQ(noBlack.match(rgba(32, 0, 0, 255)), indexed_pixel(3, 255));
    EXPECT_EQ(noBlack.match(rgba(40, 0, 0, 90)), indexed_pixel(4, 90));
    EXPECT_EQ(noBlack.match(rgba(1, 250, 3, 255)), indexed_pixel(9, 255));
    EXPECT_EQ(noBlack.match(rgba(0, 0, 0, 255)), black_pixel(255));
    EXPECT_EQ(noBlack.match(rgba(0, 0, 0, 128)), black_pixel(128));
    EXPECT_EQ(noBlack.match(rgba(200, 10, 10, 0)), transparent_pixel());
    EXPECT_EQ(noBlack.match(rgba(32, 0, 0, 255)), indexed_pixel(3, 255));  // remembered

    palette[7] = 0;
    palette[8] = 0;
    ColourMatcher withBlack(palette);
    EXPECT_EQ(withBlack.match(rgba(0, 0, 0, 255)), indexed_pixel(7, 255));
    EXPECT_EQ(withBlack.match(rgba(0, 0, 0, 254)), black_pixel(254));
    EXPECT_EQ(withBlack.match(rgba(1, 0, 0, 254)), indexed_pixel(7, 254));
}

}  // namespace
}  // namespace dabro
