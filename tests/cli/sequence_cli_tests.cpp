#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli_runner.h"
#include "document/sprite_saver.h"
#include "imaging/render.h"
#include "interchange/png_codec.h"
#include "sequence_document.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

// See four_frame_sequence_document.
struct RenderSequence : testing::Test {
    test::TempDir dir;
    std::string sprite = dir.file("in.spr");
    std::unique_ptr<SpriteDocument> doc;

    void SetUp() override {
        doc = test::four_frame_sequence_document();
        ASSERT_TRUE(save_sprite(sprite, *doc, header_of(*doc)).ok());
    }
};

TEST_F(RenderSequence, EachCellHoldsItsFrameAsThePreviewDrawsIt) {
    const std::string png = dir.file("row.png");
    const auto r = test::run_cli(
        {"render-sequence", sprite, "-s", "0", "-d", "1", "-p", "2", "--scale", "3", "-o", png});
    ASSERT_EQ(r.code, 0) << r.err;
    RgbaImage sheet;
    ASSERT_TRUE(decode_png(test::read_bytes(png), png, sheet).ok());
    const auto index = nlohmann::json::parse(test::read_bytes(dir.file("row.json")));
    const auto& frames = index["frames"];
    ASSERT_EQ(frames.size(), 4u);
    // Cells are the largest frame (9 x 5) times 3.
    EXPECT_EQ(sheet.width, 4u * 27);
    EXPECT_EQ(sheet.height, 15u);

    const ImageCollection& c = doc->collections[0];
    const std::int16_t indexes[] = {2, 0, 5, 1};
    for (int f = 0; f < 4; ++f) {
        SCOPED_TRACE(f);
        const auto& entry = frames[static_cast<std::size_t>(f)];
        EXPECT_EQ(entry["index"], f);
        EXPECT_EQ(entry["collectionFrame"], indexes[f]);
        EXPECT_EQ(entry["frameValue"], f * 100 - 50);
        EXPECT_EQ(entry["cell"],
                  (nlohmann::json{{"x", f * 27}, {"y", 0}, {"width", 27}, {"height", 15}}));
        const bool empty = indexes[f] >= 3;
        EXPECT_EQ(entry.contains("empty"), empty);
        const CollectionImage* image =
            empty ? nullptr : &c.images[static_cast<std::size_t>(indexes[f] * 2 + 1)];
        std::vector<std::uint32_t> flat;
        if (image) {
            flat.resize(static_cast<std::size_t>(image->width * image->height));
            render_image_into(*image, c.palettes[2], flat.data(), image->width, image->height,
                              image->width);
        }
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 27; ++x) {
                const std::uint32_t got =
                    sheet.at(static_cast<std::uint32_t>(f * 27 + x), static_cast<std::uint32_t>(y));
                const int ix = x / 3;
                const int iy = y / 3;
                if (!image || ix >= image->width || iy >= image->height) {
                    ASSERT_EQ(got, 0u) << x << "," << y;
                    continue;
                }
                // Straight RGBA over the preview's grey gives the preview's pixel.
                const auto alpha = static_cast<std::uint8_t>(got >> 24);
                const std::uint32_t rgb = (got & 0xFF) << 16 | (got & 0xFF00) | (got >> 16 & 0xFF);
                ASSERT_EQ(blend_rgb32(alpha, alpha == 0 ? 0 : rgb),
                          flat[static_cast<std::size_t>(iy * image->width + ix)])
                    << x << "," << y;
            }
        }
    }
}

TEST_F(RenderSequence, RefusesWhatTheSpriteDoesNotHave) {
    struct Case {
        test::Args options;
        std::string error;
    };
    const Case cases[] = {
        {{"-s", "2"}, "There is no sequence 2: the sprite has 2 sequences"},
        {{"-s", "-1"}, "There is no sequence -1: the sprite has 2 sequences"},
        {{"-s", "0", "-d", "2"}, "There is no direction 2: use 0 to 1"},
        {{"-s", "0", "-p", "4"}, "There is no palette 4: use 0 to 3"},
        {{"-s", "0", "--scale", "0"}, "There is no scale 0: use 1 to 16"},
        {{"-s", "0", "--scale", "17"}, "There is no scale 17: use 1 to 16"},
        {{"-s", "1"}, "Sprite with compressed images. Images unaccesible"},
        {{"-s", "x"}, "'x' is not a valid integer value"},
        {{}, "Option -s is required"},
    };
    const std::string png = dir.file("out.png");
    using test::operator+;
    for (const Case& c : cases) {
        SCOPED_TRACE(test::joined(c.options));
        const auto r = test::run_cli(test::Args{"render-sequence", sprite} + c.options +
                                     test::Args{"-o", png});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.last_error_line(), c.error + ".");
        EXPECT_FALSE(std::filesystem::exists(png));
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.json")));
    }
}

}  // namespace
}  // namespace dabro
