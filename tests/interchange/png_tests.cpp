#include <gtest/gtest.h>

#include <spng.h>

#include <memory>
#include <optional>
#include <random>

#include "interchange/image_png.h"
#include "interchange/png_codec.h"

namespace dabro {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct PngRecipe {
    std::uint32_t width = 2;
    std::uint32_t height = 2;
    std::uint8_t colourType = SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    std::uint8_t bitDepth = 8;
    bool interlaced = false;
    Bytes samples{};                       // the rows as the PNG stores them, packed
    std::vector<std::uint32_t> palette{};  // 0xRRGGBB, for indexed PNGs
    std::optional<spng_trns> trns{};
};

// Builds a PNG of any colour type and depth with libspng's own encoder.
Bytes make_png(const PngRecipe& recipe) {
    spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
    spng_ihdr ihdr{recipe.width,
                   recipe.height,
                   recipe.bitDepth,
                   recipe.colourType,
                   0,
                   0,
                   static_cast<std::uint8_t>(recipe.interlaced ? 1 : 0)};
    EXPECT_EQ(spng_set_ihdr(ctx, &ihdr), 0);
    if (!recipe.palette.empty()) {
        spng_plte plte{};
        plte.n_entries = static_cast<std::uint32_t>(recipe.palette.size());
        for (std::size_t i = 0; i < recipe.palette.size(); ++i)
            plte.entries[i] = {static_cast<std::uint8_t>(recipe.palette[i] >> 16),
                               static_cast<std::uint8_t>(recipe.palette[i] >> 8),
                               static_cast<std::uint8_t>(recipe.palette[i]), 0};
        EXPECT_EQ(spng_set_plte(ctx, &plte), 0);
    }
    if (recipe.trns) {
        spng_trns trns = *recipe.trns;
        EXPECT_EQ(spng_set_trns(ctx, &trns), 0);
    }
    EXPECT_EQ(spng_encode_image(ctx, recipe.samples.data(), recipe.samples.size(), SPNG_FMT_PNG,
                                SPNG_ENCODE_FINALIZE),
              0);
    std::size_t size = 0;
    int err = 0;
    auto* buffer = static_cast<std::uint8_t*>(spng_get_png_buffer(ctx, &size, &err));
    EXPECT_EQ(err, 0);
    Bytes png(buffer, buffer + size);
    std::free(buffer);
    spng_ctx_free(ctx);
    return png;
}

constexpr std::uint32_t rgba(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
    return r | g << 8 | b << 16 | a << 24;
}

spng_trns grey_trns(std::uint16_t grey) {
    spng_trns t{};
    t.gray = grey;
    return t;
}
spng_trns rgb_trns(std::uint16_t r, std::uint16_t g, std::uint16_t b) {
    spng_trns t{};
    t.red = r;
    t.green = g;
    t.blue = b;
    return t;
}
spng_trns indexed_trns(std::initializer_list<std::uint8_t> alphas) {
    spng_trns t{};
    for (std::uint8_t a : alphas) t.type3_alpha[t.n_type3_entries++] = a;
    return t;
}

struct DecodeCase {
    const char* name;
    PngRecipe recipe;
    std::vector<std::uint32_t> rgba;
};

std::vector<DecodeCase> decode_cases() {
    std::vector<DecodeCase> cases;
    cases.push_back(
        {"rgba8",
         {.samples = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
         {rgba(1, 2, 3, 4), rgba(5, 6, 7, 8), rgba(9, 10, 11, 12), rgba(13, 14, 15, 16)}});
    cases.push_back({"rgb8 with a transparent colour",
                     {.width = 2,
                      .height = 1,
                      .colourType = SPNG_COLOR_TYPE_TRUECOLOR,
                      .samples = {10, 20, 30, 40, 50, 60},
                      .trns = rgb_trns(40, 50, 60)},
                     {rgba(10, 20, 30, 255), rgba(40, 50, 60, 0)}});
    cases.push_back({"grey 1 bit",
                     {.width = 3,
                      .height = 1,
                      .colourType = SPNG_COLOR_TYPE_GRAYSCALE,
                      .bitDepth = 1,
                      .samples = {0b10100000}},
                     {rgba(255, 255, 255, 255), rgba(0, 0, 0, 255), rgba(255, 255, 255, 255)}});
    cases.push_back({"grey 16 bits keeps the high byte",
                     {.width = 2,
                      .height = 1,
                      .colourType = SPNG_COLOR_TYPE_GRAYSCALE,
                      .bitDepth = 16,
                      .samples = {0x34, 0x12, 0xCD, 0xAB}},
                     {rgba(0x12, 0x12, 0x12, 255), rgba(0xAB, 0xAB, 0xAB, 255)}});
    cases.push_back({"grey and alpha",
                     {.width = 1,
                      .height = 1,
                      .colourType = SPNG_COLOR_TYPE_GRAYSCALE_ALPHA,
                      .samples = {77, 99}},
                     {rgba(77, 77, 77, 99)}});
    cases.push_back({"indexed 4 bits with tRNS",
                     {.width = 3,
                      .height = 1,
                      .colourType = SPNG_COLOR_TYPE_INDEXED,
                      .bitDepth = 4,
                      .samples = {0x01, 0x20},
                      .palette = {0xFF0000, 0x00FF00, 0x0000FF},
                      .trns = indexed_trns({0, 128})},
                     {rgba(255, 0, 0, 0), rgba(0, 255, 0, 128), rgba(0, 0, 255, 255)}});
    PngRecipe interlaced{.width = 5, .height = 5, .interlaced = true};
    std::vector<std::uint32_t> expected;
    for (std::uint32_t i = 0; i < 25; ++i) {
        interlaced.samples.insert(interlaced.samples.end(),
                                  {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3),
                                   static_cast<std::uint8_t>(i * 7), 200});
        expected.push_back(rgba(i, i * 3, i * 7, 200));
    }
    cases.push_back({"interlaced", interlaced, expected});
    return cases;
}

TEST(DecodePng, EveryColourTypeAndDepthWithTransparencyAndInterlacing) {
    for (const DecodeCase& c : decode_cases()) {
        SCOPED_TRACE(c.name);
        RgbaImage image;
        const Status s = decode_png(make_png(c.recipe), "in.png", image);
        ASSERT_TRUE(s.ok()) << s.message();
        EXPECT_EQ(image.width, c.recipe.width);
        EXPECT_EQ(image.height, c.recipe.height);
        EXPECT_EQ(image.pixels, c.rgba);
    }
}

TEST(DecodePngIndices, TakesIndicesAndGreysAsTheyStandAndRefusesColour) {
    PixelImage out;
    const Bytes indexed = make_png({.width = 4,
                                    .height = 1,
                                    .colourType = SPNG_COLOR_TYPE_INDEXED,
                                    .bitDepth = 2,
                                    .samples = {0b00011011},
                                    .palette = {0, 0, 0, 0},
                                    .trns = indexed_trns({0, 9})});
    ASSERT_TRUE(decode_png_indices(indexed, "i.png", out).ok());
    EXPECT_EQ(out.pixels, (std::vector<Pixel>{transparent_pixel(), indexed_pixel(1, 9),
                                              indexed_pixel(2, 255), indexed_pixel(3, 255)}));
    const Bytes grey = make_png({.width = 2,
                                 .height = 1,
                                 .colourType = SPNG_COLOR_TYPE_GRAYSCALE,
                                 .bitDepth = 4,
                                 .samples = {0x7C},
                                 .trns = grey_trns(12)});
    ASSERT_TRUE(decode_png_indices(grey, "g.png", out).ok());
    EXPECT_EQ(out.pixels, (std::vector<Pixel>{indexed_pixel(7, 255), transparent_pixel()}));
    const Bytes greyAlpha = make_png({.width = 1,
                                      .height = 1,
                                      .colourType = SPNG_COLOR_TYPE_GRAYSCALE_ALPHA,
                                      .samples = {200, 17}});
    ASSERT_TRUE(decode_png_indices(greyAlpha, "ga.png", out).ok());
    EXPECT_EQ(out.pixels, (std::vector<Pixel>{indexed_pixel(200, 17)}));

    for (const PngRecipe& refused :
         {PngRecipe{.samples = Bytes(16, 1)}, PngRecipe{.width = 1,
                                              .height = 1,
                                              .colourType = SPNG_COLOR_TYPE_GRAYSCALE,
                                              .bitDepth = 16,
                                              .samples = {1, 2}}}) {
        const Status s = decode_png_indices(make_png(refused), "c.png", out);
        EXPECT_EQ(s.message(),
                  "c.png holds no indices: keeping indices needs an indexed PNG or a grey PNG of "
                  "8 bits or fewer");
    }
}

// Four palettes of distinct colours; 1 and 3 hold an exact black.
std::array<Palette, 4> test_palettes() {
    std::array<Palette, 4> palettes{};
    for (std::size_t p = 0; p < 4; ++p)
        for (std::size_t i = 0; i < kPaletteEntries; ++i)
            palettes[p][i] =
                static_cast<std::uint32_t>(0x010101 * (i + 1) + p * 0x000300) & 0xFFFFFF;
    palettes[1][200] = 0;
    palettes[3][0] = 0;
    return palettes;
}

TEST(ImagePng, ExportThenImportGivesBackEveryKindOfPixelUnderEachPalette) {
    const auto palettes = test_palettes();
    std::mt19937 rng(5);
    for (std::size_t p = 0; p < 4; ++p) {
        SCOPED_TRACE(p);
        const bool hasBlack = p == 1 || p == 3;
        PixelImage pixels{13, 7, {}};
        for (int i = 0; i < 13 * 7; ++i) {
            const auto index = static_cast<std::uint8_t>(rng());
            auto alpha = static_cast<std::uint8_t>(rng() % 3 == 0 ? 255 : rng());
            // A see-through palette black is stored as a shadow, so it comes back as one.
            if (palettes[p][index] == 0) alpha = 255;
            switch (rng() % 3) {
                case 0:
                    pixels.pixels.push_back(indexed_pixel(index, alpha));
                    break;
                case 1:  // opaque black is the palette's own black when it has one
                    pixels.pixels.push_back(black_pixel(hasBlack && alpha == 255 ? 254 : alpha));
                    break;
                default:
                    pixels.pixels.push_back(transparent_pixel());
            }
        }
        CollectionImage image;
        image.width = pixels.width;
        image.height = pixels.height;
        image.set_data(encode_compact(pixels));
        Bytes png;
        ASSERT_TRUE(export_image_png(image, palettes[p], png).ok());
        PixelImage back;
        ASSERT_TRUE(import_image_png(png, "x.png", palettes[p], {}, back).ok());
        EXPECT_EQ(back, pixels);
    }
}

// Entries 4 and 9 share a colour, as the sample's 0 and 1 share black: a PNG of the image
// edited in one pixel gives back every other pixel with its own index and kind.
TEST(ImagePng, AnEditKeepsTheIndicesOfUnchangedPixelsWhereColoursRepeat) {
    auto collection = std::make_unique<ImageCollection>();
    collection->frames = collection->directions = 1;
    Palette& palette = collection->palettes[0];
    palette = test_palettes()[0];
    palette[9] = palette[4];
    PixelImage pixels{5, 4, {}};
    for (int i = 0; i < 20; ++i)
        pixels.pixels.push_back(i % 3 == 0   ? indexed_pixel(9, 255)
                                : i % 3 == 1 ? indexed_pixel(9, 100)
                                             : indexed_pixel(4, 255));
    CollectionImage& image = collection->images[0];
    image.width = 5;
    image.height = 4;
    image.set_data(encode_compact(pixels));
    Bytes png;
    ASSERT_TRUE(export_image_png(image, palette, png).ok());
    RgbaImage picture;
    ASSERT_TRUE(decode_png(png, "x.png", picture).ok());
    picture.pixels[7] = rgba_of(indexed_pixel(20, 255), palette);
    ASSERT_TRUE(encode_png(picture, png).ok());

    PngImportOptions options;
    options.into = collection.get();
    PixelImage back;
    ASSERT_TRUE(import_image_png(png, "x.png", palette, options, back).ok());
    PixelImage expected = pixels;
    expected.pixels[7] = indexed_pixel(20, 255);
    EXPECT_EQ(back, expected);

    // A PNG that would take the collection's sheet over the limit is refused.
    collection->frames = 1000;
    RgbaImage big{300, 300, std::vector<std::uint32_t>(300 * 300, 0)};
    ASSERT_TRUE(encode_png(big, png).ok());
    EXPECT_EQ(import_image_png(png, "x.png", palette, options, back).message(),
              "An image of 300 x 300 pixels would make the sheet of collection '' 300000 x 300 "
              "pixels, more than the 67108864 allowed");
}

// CRC-32 of PNG chunks, to build files that pass every check but the one under test.
std::uint32_t crc32(const std::uint8_t* data, std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= data[i];
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

void put32(Bytes& b, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<std::uint8_t>(v >> s));
}

Bytes header_claiming(std::uint32_t width, std::uint32_t height) {
    Bytes b{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    put32(b, 13);
    const std::size_t start = b.size();
    b.insert(b.end(), {'I', 'H', 'D', 'R'});
    put32(b, width);
    put32(b, height);
    b.insert(b.end(), {8, 6, 0, 0, 0});
    put32(b, crc32(b.data() + start, b.size() - start));
    return b;
}

TEST(DecodePng, BadFilesFailWithAClearMessage) {
    const Bytes good = make_png({.samples = Bytes(16, 7)});
    Bytes badCrc = good;
    badCrc[good.size() - 20] ^= 0x55;  // inside the image data
    struct Case {
        const char* name;
        Bytes png;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"not a PNG", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0}, "in.png is not a PNG file"},
        {"empty", {}, "in.png is not a PNG file"},
        {"crc error", badCrc, "in.png is not a readable PNG: "},
        {"huge claim", header_claiming(1u << 16, 1u << 16),
         "in.png is 65536 x 65536 pixels, more than the 67108864 allowed"},
        {"past the 32-bit side", header_claiming(0x80000000u, 1), "in.png is not a readable PNG: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RgbaImage image;
        const Status s = decode_png(c.png, "in.png", image);
        EXPECT_FALSE(s.ok());
        EXPECT_EQ(s.message().substr(0, c.message.size()), c.message) << s.message();
    }
}

TEST(DecodePng, EveryTruncationFails) {
    const Bytes good = make_png({.width = 3, .height = 3, .samples = Bytes(36, 9)});
    for (std::size_t n = 0; n < good.size(); ++n) {
        RgbaImage image;
        EXPECT_FALSE(decode_png({good.data(), n}, "cut.png", image).ok()) << n;
        PixelImage pixels;
        EXPECT_FALSE(decode_png_indices({good.data(), n}, "cut.png", pixels).ok()) << n;
    }
}

TEST(DecodePng, TheLimitIsCheckedBeforeDecoding) {
    const Bytes png = make_png({.width = 100, .height = 100, .samples = Bytes(40000, 0)});
    RgbaImage image;
    PngLimits limits;
    limits.maxPixels = 9999;
    EXPECT_EQ(decode_png(png, "p.png", image, limits).message(),
              "p.png is 100 x 100 pixels, more than the 9999 allowed");
    limits.maxPixels = 10000;
    EXPECT_TRUE(decode_png(png, "p.png", image, limits).ok());
}

}  // namespace
}  // namespace dabro
