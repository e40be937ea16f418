#include <gtest/gtest.h>

#include "imaging/render.h"
#include "reference.h"
#include "support/sprite_builder.h"

namespace dabro {
namespace {

using Data = std::vector<std::uint8_t>;
using test::image_of;

Palette test_palette() {
    Palette p{};
    for (int i = 0; i < kPaletteEntries; ++i)
        p[static_cast<std::size_t>(i)] =
            static_cast<std::uint32_t>(i * 0x010305 + 0x402010) & 0xFFFFFF;
    return p;
}

TEST(Blend, ValuesOfTheFormat) {
    struct Case {
        std::uint8_t alpha;
        std::uint32_t colour;
        std::uint32_t surface;  // red in the low byte
    };
    const Case cases[] = {
        {0, 0xFF8000, 0x646464},  // transparent: the grey whatever the colour
        {0, 0x000000, 0x646464},     {255, 0x123456, 0x563412},  // opaque: the colour exactly
        {128, 0x000000, 0x313131},                               // black at 128: (49, 49, 49)
        {128, 0xFF8000, 0x3172B1},                               // red 177, green 114, blue 49
        {255, 0xFF123456, 0x563412},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alpha);
        EXPECT_EQ(blend_pixel(c.alpha, c.colour), c.surface);
        const std::uint32_t rgb = blend_rgb32(c.alpha, c.colour);
        EXPECT_EQ(rgb >> 24, 0xFFu);
        EXPECT_EQ((rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF), c.surface);
    }
}

TEST(Blend, EveryAlphaAndChannelMatchesTheFormula) {
    for (int a = 0; a < 256; ++a) {
        for (int c = 0; c < 256; c += 5) {
            const std::uint32_t colour =
                static_cast<std::uint32_t>(c << 16 | (255 - c) << 8 | (c / 2));
            ASSERT_EQ(blend_rgb32(static_cast<std::uint8_t>(a), colour), test::ref_rgb32(a, colour))
                << "alpha " << a << " c " << c;
        }
    }
}

// The picture the preview would show: the image's own size, grey first, drawn by the
// reference walk.
std::vector<std::uint32_t> reference_picture(const CollectionImage& image, const Palette& palette) {
    const auto w = static_cast<std::size_t>(image.width);
    std::vector<std::uint32_t> out(w * static_cast<std::size_t>(image.height), kPreviewGreyRgb32);
    for (const auto& p : test::reference_decode(image.data, image.width, false)) {
        if (p.x >= image.width || p.y >= image.height) continue;
        const std::uint32_t colour =
            (p.kind == 1 || p.kind == 2) ? palette[static_cast<std::size_t>(p.index)] : 0;
        out[static_cast<std::size_t>(p.y) * w + static_cast<std::size_t>(p.x)] =
            test::ref_rgb32(p.alpha, colour);
    }
    return out;
}

TEST(Render, KindsOfPixelsOverTheGrey) {
    Palette palette{};
    palette[5] = 0xFF8000;
    palette[9] = 0x123456;
    // Row 0: kind 0, kind 1 index 9, kind 2 index 5 alpha 128, kind 3 alpha 128.
    const auto image = image_of(4, 2, {0x04, 0x05, 0x09, 0x06, 0x05, 0x80, 0x07, 0x80});
    const Picture picture = render_image(image, palette);
    ASSERT_EQ(picture.width, 4);
    EXPECT_EQ(picture.nominalWidth, 4);
    EXPECT_EQ(picture.nominalHeight, 2);
    EXPECT_EQ(picture.at(0, 0), 0xFF646464u);
    EXPECT_EQ(picture.at(1, 0), 0xFF123456u);
    EXPECT_EQ(picture.at(2, 0), 0xFFB17231u);
    EXPECT_EQ(picture.at(3, 0), 0xFF313131u);
    EXPECT_EQ(picture.at(0, 1), kPreviewGreyRgb32);
}

TEST(Render, PixelsBeyondTheWidthOrHeightAreNotDrawn) {
    Palette palette{};
    palette[1] = 0x0000FF;
    palette[2] = 0x00FF00;
    // Width 2: a run of three opaque pixels crosses the row; its third pixel falls at x = 2.
    // Then row 1, then a row 2 beyond the height.
    const auto image = image_of(2, 2, {0x0D, 1, 1, 2, 0x09, 2, 2, 0x05, 1});
    const Picture picture = render_image(image, palette);
    ASSERT_EQ(picture.width, 2);
    ASSERT_EQ(picture.height, 2);
    EXPECT_EQ(picture.pixels,
              (std::vector<std::uint32_t>{0xFF0000FF, 0xFF0000FF, 0xFF00FF00, 0xFF00FF00}));
}

TEST(Render, AgreesWithTheReferenceOnOtherEncodersData) {
    const Palette palette = test_palette();
    test::Rng rng(11);
    for (int round = 0; round < 200; ++round) {
        const int w = 1 + rng.below(20);
        const int h = 1 + rng.below(20);
        Data data = round % 3 == 0
                        ? test::random_bytes(rng, static_cast<std::size_t>(rng.below(300)))
                        : test::mixed_rle(w, h, rng.next());
        const auto image = image_of(w, h, data);
        const auto expected = reference_picture(image, palette);
        const Picture picture = render_image(image, palette);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(picture.at(x, y), expected[static_cast<std::size_t>(y * w + x)])
                    << "round " << round << " at " << x << "," << y;
    }
}

TEST(Render, IntoACallersBufferWithStride) {
    const Palette palette = test_palette();
    const auto image = image_of(5, 4, test::mixed_rle(5, 4, 3));
    const auto expected = reference_picture(image, palette);

    // A buffer wider than the image but shorter, with a stride beyond its width; the
    // padding of each row is left alone.
    constexpr int bw = 7, bh = 3, stride = 9;
    std::vector<std::uint32_t> buffer(stride * bh, 0xDEADBEEF);
    render_image_into(image, palette, buffer.data(), bw, bh, stride);
    for (int y = 0; y < bh; ++y) {
        for (int x = 0; x < stride; ++x) {
            const std::uint32_t got = buffer[static_cast<std::size_t>(y * stride + x)];
            if (x >= bw)
                EXPECT_EQ(got, 0xDEADBEEFu);
            else if (x >= 5)
                EXPECT_EQ(got, kPreviewGreyRgb32);
            else
                EXPECT_EQ(got, expected[static_cast<std::size_t>(y * 5 + x)]);
        }
    }
}

TEST(Render, ClearsWhatThePreviousImageLeft) {
    const Palette palette = test_palette();
    std::vector<std::uint32_t> buffer(4 * 4);
    render_image_into(image_of(4, 4, Data(16, 0x05)), palette, buffer.data(), 4, 4, 4);
    render_image_into(image_of(4, 4, {}), palette, buffer.data(), 4, 4, 4);
    EXPECT_EQ(buffer, std::vector<std::uint32_t>(16, kPreviewGreyRgb32));
}

TEST(Render, EmptyAndNonPositiveSizesDrawNothing) {
    const Palette palette = test_palette();
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-3, 4}, {4, -2147483647 - 1}}) {
        const Picture picture = render_image(image_of(w, h, Data(40, 0x05)), palette);
        EXPECT_EQ(picture.width, 0);
        EXPECT_EQ(picture.height, 0);
        EXPECT_TRUE(picture.pixels.empty());
        EXPECT_EQ(picture.nominalWidth, w);
        EXPECT_EQ(picture.nominalHeight, h);
    }
    const Picture empty = render_image(image_of(64, 48, {}), palette);
    EXPECT_TRUE(empty.pixels.empty());
    EXPECT_EQ(empty.at(10, 10), kPreviewGreyRgb32);
}

// A size read from a file costs no more memory than the data can cover.
TEST(Render, HostileSizesAreBoundedByTheData) {
    const Palette palette = test_palette();
    struct Case {
        std::int32_t w, h;
        Data data;
        std::int32_t pw, ph;
    };
    const Case cases[] = {
        {2000000000, 2000000000, Data(100, 0xFC), 6300, 1},  // one long row
        {1, 2000000000, Data(1000, 0xFC), 1, 1000},          // every command ends a row
        {2000000000, 2000000000, {0x05, 0x01}, 1, 1},
        {64, 2000000000, Data(1000, 0xFC), 64, 500},       // two 63-pixel runs a row
        {2147483647, 2147483647, Data(4096, 0x00), 0, 0},  // count 0 reaches nothing
    };
    for (const Case& c : cases) {
        const auto image = image_of(c.w, c.h, c.data);
        const Extent e = reachable_extent(image);
        EXPECT_EQ(e.width, c.pw);
        EXPECT_EQ(e.height, c.ph);
        const Picture picture = render_image(image, palette);
        EXPECT_EQ(picture.width, c.pw);
        EXPECT_EQ(picture.height, c.ph);
        EXPECT_LE(picture.pixels.size(), 2 * 63 * c.data.size());
        EXPECT_EQ(picture.nominalWidth, c.w);
    }
}

TEST(Render, TheStoredPartIsCutAtTheLimit) {
    struct Case {
        std::int32_t w, h;
        std::size_t commands;
        std::int32_t pw, ph;
    };
    const Case cases[] = {
        {2147483647, 1, 100, 1000, 1},  // one row of 6300 pixels: cut by columns
        {50, 1000, 200, 50, 20},        // every run ends a row: 200 rows of 50, cut by rows
    };
    const Palette palette = test_palette();
    for (const Case& c : cases) {
        Data data;
        for (std::size_t i = 0; i < c.commands; ++i) {
            data.push_back(0xFD);  // 63 opaque pixels
            for (int p = 0; p < 63; ++p) data.push_back(static_cast<std::uint8_t>(i * 7 + p));
        }
        const auto image = image_of(c.w, c.h, data);
        const Picture picture = render_image(image, palette, 1000);
        EXPECT_EQ(picture.width, c.pw);
        EXPECT_EQ(picture.height, c.ph);
        ASSERT_EQ(picture.pixels.size(), static_cast<std::size_t>(c.pw * c.ph));
        // What is stored is drawn as without the limit.
        const Picture whole = render_image(image, palette);
        for (int y = 0; y < c.ph; ++y)
            for (int x = 0; x < c.pw; ++x) ASSERT_EQ(picture.at(x, y), whole.at(x, y));
    }
}

}  // namespace
}  // namespace dabro
