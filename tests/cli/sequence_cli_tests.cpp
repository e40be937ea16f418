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
    const auto r = test::run_cli({"render-sequence", sprite, "-s", "0", "-d", "1", "-p", "2",
                                  "--scale", "3", "--place", "corner", "-o", png});
    ASSERT_EQ(r.code, 0) << r.err;
    RgbaImage sheet;
    ASSERT_TRUE(decode_png(test::read_bytes(png), png, sheet).ok());
    const auto index = nlohmann::json::parse(test::read_bytes(dir.file("row.json")));
    EXPECT_FALSE(index.contains("origin"));
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

// Placed by box, each image sits in its cell where its box puts it, relative to the origin;
// the rest of the cell is clear.
TEST_F(RenderSequence, ByBoxEachImageSitsAtItsPlace) {
    const test::Args choice = {"render-sequence", sprite, "-s", "0", "-d", "1", "--scale", "2"};
    using test::operator+;
    ASSERT_EQ(test::run_cli(choice + test::Args{"--place", "corner", "-o", dir.file("c.png")}).code,
              0);
    ASSERT_EQ(test::run_cli(choice + test::Args{"-o", dir.file("b.png")}).code, 0);
    RgbaImage corner;
    RgbaImage box;
    ASSERT_TRUE(decode_png(test::read_bytes(dir.file("c.png")), "c", corner).ok());
    ASSERT_TRUE(decode_png(test::read_bytes(dir.file("b.png")), "b", box).ok());
    const std::vector<std::uint8_t> json = test::read_bytes(dir.file("b.json"));
    const auto index = nlohmann::json::parse(json);
    const std::string text(json.begin(), json.end());
    EXPECT_LT(text.find("\"scale\""), text.find("\"origin\""));
    EXPECT_LT(text.find("\"origin\""), text.find("\"frames\""));
    const std::int64_t ox = index["origin"]["x"];
    const std::int64_t oy = index["origin"]["y"];
    const std::uint32_t cw = corner.width / 4;
    const std::uint32_t bw = box.width / 4;
    const ImageCollection& c = doc->collections[0];
    const int slots[] = {5, 1, -1, 3};
    for (std::uint32_t f = 0; f < 4; ++f) {
        SCOPED_TRACE(f);
        std::int64_t x0 = 0;
        std::int64_t y0 = 0;
        std::int64_t w = 0;
        std::int64_t h = 0;
        if (slots[f] >= 0) {
            const auto k = static_cast<std::size_t>(slots[f]);
            x0 = ox + 2 * std::int64_t{c.boxes[k].left};
            y0 = oy + 2 * std::int64_t{c.boxes[k].top};
            w = 2 * c.images[k].width;
            h = 2 * c.images[k].height;
            ASSERT_GE(x0, 0);
            ASSERT_GE(y0, 0);
        }
        for (std::int64_t y = 0; y < box.height; ++y)
            for (std::int64_t x = 0; x < bw; ++x) {
                const bool inside = x >= x0 && x < x0 + w && y >= y0 && y < y0 + h;
                const std::uint32_t want =
                    inside ? corner.at(static_cast<std::uint32_t>(f * cw + x - x0),
                                       static_cast<std::uint32_t>(y - y0))
                           : 0u;
                ASSERT_EQ(
                    box.at(static_cast<std::uint32_t>(f * bw + x), static_cast<std::uint32_t>(y)),
                    want)
                    << x << "," << y;
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
        {{"-s", "0", "--place", "centre"}, "There is no placement centre: use box or corner"},
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
