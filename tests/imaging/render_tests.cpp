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

// The image drawn as the preview draws it into a buffer of the image's own size.
std::vector<std::uint32_t> drawn(const CollectionImage& image, const Palette& palette) {
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(image.width) *
                                      static_cast<std::size_t>(image.height));
    render_image_into(image, palette, buffer.data(), image.width, image.height, image.width);
    return buffer;
}

TEST(Render, KindsOfPixelsOverTheGrey) {
    Palette palette{};
    palette[5] = 0xFF8000;
    palette[9] = 0x123456;
    // Row 0: kind 0, kind 1 index 9, kind 2 index 5 alpha 128, kind 3 alpha 128.
    const auto image = image_of(4, 2, {0x04, 0x05, 0x09, 0x06, 0x05, 0x80, 0x07, 0x80});
    const auto picture = drawn(image, palette);
    EXPECT_EQ(picture[0], 0xFF646464u);
    EXPECT_EQ(picture[1], 0xFF123456u);
    EXPECT_EQ(picture[2], 0xFFB17231u);
    EXPECT_EQ(picture[3], 0xFF313131u);
    EXPECT_EQ(picture[4], kPreviewGreyRgb32);
}

TEST(Render, PixelsBeyondTheWidthOrHeightAreNotDrawn) {
    Palette palette{};
    palette[1] = 0x0000FF;
    palette[2] = 0x00FF00;
    // Width 2: a run of three opaque pixels crosses the row; its third pixel falls at x = 2.
    // Then row 1, then a row 2 beyond the height.
    const auto image = image_of(2, 2, {0x0D, 1, 1, 2, 0x09, 2, 2, 0x05, 1});
    EXPECT_EQ(drawn(image, palette),
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
        ASSERT_EQ(drawn(image, palette), expected) << "round " << round;
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

// A size read from a file is bounded by what the data reach.
TEST(Render, HostileSizesAreBoundedByTheData) {
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
    }
}

}  // namespace
}  // namespace dabro
