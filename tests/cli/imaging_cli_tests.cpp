#include <gtest/gtest.h>

#include <filesystem>

#include "cli_runner.h"
#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "imaging/halve.h"
#include "imaging/render.h"
#include "interchange/palette_file.h"
#include "interchange/png_codec.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

using Data = std::vector<std::uint8_t>;

using Result = test::CliResult;

Result run(const test::Args& args) {
    return test::run_cli(args);
}

// Collection 0: 2 frames x 3 directions of 6 x 5 images; collection 1 never read.
struct SpriteFixture : testing::Test {
    test::TempDir dir;
    std::string sprite = dir.file("in.spr");
    Data spriteBytes;

    void SetUp() override {
        test::DocumentShape shape;
        shape.collections = {{2, 3}, {1, 1, kShortSection}};
        const auto doc = make_document(shape);
        ASSERT_TRUE(save_sprite(sprite, *doc, header_of(*doc)).ok());
        spriteBytes = test::read_bytes(sprite);
    }

    // What an image command may change; the source names follow the file's name.
    static void expect_same_pixels(const CollectionImage& got, const CollectionImage& expected) {
        EXPECT_EQ(got.data, expected.data);
        EXPECT_EQ(got.dataLength, expected.dataLength);
        EXPECT_EQ(got.width, expected.width);
        EXPECT_EQ(got.height, expected.height);
        EXPECT_EQ(got.kind, expected.kind);
        EXPECT_EQ(got.flag, expected.flag);
    }

    std::unique_ptr<Session> load(const std::string& path) {
        auto session = make_session();
        EXPECT_TRUE(load_sprite(path, *session).ok());
        return session;
    }

    ImageCollection& collection(Session& s, int c = 0) {
        return s.document.collections[static_cast<std::size_t>(c)];
    }

    void expect_failure(const test::Args& args, const std::string& text,
                        const std::string& output) {
        SCOPED_TRACE(test::joined(args));
        const Result r = run(args);
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.last_error_line(), text);
        EXPECT_FALSE(std::filesystem::exists(output));
        EXPECT_EQ(test::read_bytes(sprite), spriteBytes);
    }
};

TEST_F(SpriteFixture, RenderWritesThePreviewsPicture) {
    const std::string png = dir.file("out.png");
    const Result r = run({"render", sprite, "-c", "0", "-f", "1", "-d", "2", "-o", png});
    ASSERT_EQ(r.code, 0) << r.err;

    auto session = load(sprite);
    const ImageCollection& col = collection(*session);
    const CollectionImage& image = col.images[static_cast<std::size_t>(1 * 3 + 2)];
    std::vector<std::uint32_t> expected(6 * 5);
    render_image_into(image, col.palettes[0], expected.data(), 6, 5, 6);
    RgbaImage written;
    ASSERT_TRUE(decode_png(test::read_bytes(png), png, written).ok());
    ASSERT_EQ(written.width, 6u);
    ASSERT_EQ(written.height, 5u);
    for (std::uint32_t y = 0; y < 5; ++y) {
        for (std::uint32_t x = 0; x < 6; ++x) {
            // 0xFFRRGGBB against red in the lowest byte.
            const std::uint32_t e = expected[y * 6 + x];
            EXPECT_EQ(written.at(x, y), (e & 0xFF00FF00) | (e >> 16 & 0xFF) | (e & 0xFF) << 16)
                << x << "," << y;
        }
    }
}

TEST_F(SpriteFixture, SelectionsOutsideTheDocumentAreRefused) {
    const std::string out = dir.file("out.spr");
    const std::string& s = sprite;
    const std::string& o = out;
    expect_failure({"render", s, "-c", "2", "-f", "0", "-d", "0", "-o", o},
                   "There is no collection 2: the sprite has 2 collections.", out);
    expect_failure({"halve", s, "-c", "-1", "--all", "-o", o},
                   "There is no collection -1: the sprite has 2 collections.", out);
    expect_failure(
        {"halve", s, "-c", "0", "-f", "2", "-d", "0", "-o", o},
        "There is no image at frame 2, direction 0: the collection has 2 frames and 3 directions.",
        out);
    expect_failure(
        {"align", s, "-c", "0", "-f", "0", "-d", "3", "--frame-size", "big", "-o", o},
        "There is no image at frame 0, direction 3: the collection has 2 frames and 3 directions.",
        out);
    expect_failure({"render", s, "-c", "1", "-f", "0", "-d", "0", "-o", o},
                   "Sprite with compressed images. Images unaccesible.", out);
    expect_failure({"palette-export", s, "-c", "1", "-o", o},
                   "Sprite with compressed images. Images unaccesible.", out);
    expect_failure({"halve", s, "-c", "x", "--all", "-o", o}, "'x' is not a valid integer value.",
                   out);
}

TEST_F(SpriteFixture, ArgumentMistakesAreRefused) {
    const std::string out = dir.file("out.spr");
    const std::string& s = sprite;
    const std::string& o = out;
    expect_failure({"halve", s, "-c", "0", "-o", o}, "Give either -f and -d, or --all.", out);
    expect_failure({"halve", s, "-c", "0", "-f", "0", "-d", "0", "--all", "-o", o},
                   "Give either -f and -d, or --all.", out);
    expect_failure({"align", s, "-c", "0", "--all", "--frame-size", "huge", "-o", o},
                   "Unknown frame size 'huge': use big or small.", out);
    expect_failure({"palette-import", s, "-c", "0", "-o", o}, "Option --palette is required.", out);
    expect_failure({"render", s, "-c", "0", "-f", "0", "-d", "0", "--bogus", "-o", o},
                   "Unknown option --bogus.", out);
}

TEST_F(SpriteFixture, FilesThatAreNotSpritesAreRefused) {
    const std::string text = dir.file("notes.txt");
    test::write_bytes(text, Data(100, 'a'));
    const std::string out = dir.file("out.act");
    const Result r = run({"palette-export", text, "-c", "0", "-o", out});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.last_error_line(), "This is not a .spr file.");
    EXPECT_FALSE(std::filesystem::exists(out));

    const Result missing = run({"palette-export", dir.file("none.spr"), "-c", "0", "-o", out});
    EXPECT_EQ(missing.last_error_line(), dir.file("none.spr") + ": File not found.");
}

TEST_F(SpriteFixture, ImportRawByNameSavesPixelsSizeAndPalette) {
    test::write_bytes(dir.file("axe_2x1.raw"), {7, 255, 3, 0});
    Data paletteBytes(kPaletteFileSize, 0);
    paletteBytes[21] = 0x12;
    test::write_bytes(dir.file("axe.act"), paletteBytes);
    const std::string out = dir.file("out.spr");
    const Result r = run({"import-raw", sprite, "-c", "0", "-f", "1", "-d", "0", "--raw",
                          dir.file("axe_2x1.raw"), "--by-name", "-o", out});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Image imported into " + out + "\n");

    auto session = load(out);
    const ImageCollection& col = collection(*session);
    const CollectionImage& image = col.images[3];
    EXPECT_EQ(image.data, (Data{6, 7, 255, 4}));
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(col.palettes[0][7], 0x120000u);
}

TEST_F(SpriteFixture, ImportRawKeepsTheSizeAndAFailedImportWritesNothing) {
    test::write_bytes(dir.file("big_axe_64x32.raw"), {7, 255});
    test::write_bytes(dir.file("big.act"), Data(kPaletteFileSize, 1));
    const std::string out = dir.file("out.spr");
    expect_failure({"import-raw", sprite, "-c", "0", "-f", "0", "-d", "1", "--raw",
                    dir.file("big_axe_64x32.raw"), "--by-name", "-o", out},
                   "'e_64x32' is not a valid integer value.", out);

    ASSERT_EQ(run({"import-raw", sprite, "-c", "0", "-f", "0", "-d", "1", "--raw",
                   dir.file("big_axe_64x32.raw"), "-o", out})
                  .code,
              0);
    auto session = load(out);
    const CollectionImage& image = collection(*session).images[1];
    EXPECT_EQ(image.data, (Data{6, 7, 255}));
    EXPECT_EQ(image.width, 6);
    EXPECT_EQ(image.height, 5);
}

TEST_F(SpriteFixture, HalveOneImageOrAll) {
    auto before = load(sprite);
    const std::string one = dir.file("one.spr");
    ASSERT_EQ(run({"halve", sprite, "-c", "0", "-f", "1", "-d", "1", "-o", one}).code, 0);
    auto halvedOne = load(one);
    for (int slot = 0; slot < 6; ++slot) {
        CollectionImage expected = collection(*before).images[static_cast<std::size_t>(slot)];
        if (slot == 4) {
            ASSERT_TRUE(test::halve_in_place(expected).ok());
        }
        SCOPED_TRACE(slot);
        expect_same_pixels(collection(*halvedOne).images[static_cast<std::size_t>(slot)], expected);
    }

    const std::string all = dir.file("all.spr");
    const Result r = run({"halve", sprite, "-c", "0", "--all", "-o", all});
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "Image size halved into " + all + "\n");
    auto halvedAll = load(all);
    for (int slot = 0; slot < 6; ++slot) {
        CollectionImage expected = collection(*before).images[static_cast<std::size_t>(slot)];
        ASSERT_TRUE(test::halve_in_place(expected).ok());
        SCOPED_TRACE(slot);
        expect_same_pixels(collection(*halvedAll).images[static_cast<std::size_t>(slot)], expected);
        EXPECT_EQ(collection(*halvedAll).images[static_cast<std::size_t>(slot)].width, 3);
    }
}

TEST_F(SpriteFixture, AlignSetsOnlyTheBoxes) {
    auto before = load(sprite);
    const std::string out = dir.file("out.spr");
    ASSERT_EQ(
        run({"align", sprite, "-c", "0", "-f", "0", "-d", "2", "--frame-size", "small", "-o", out})
            .code,
        0);
    auto aligned = load(out);
    for (int slot = 0; slot < 6; ++slot) {
        const BoundingBox expected =
            slot == 2 ? BoundingBox{29, 11, 35, 16}
                      : collection(*before).boxes[static_cast<std::size_t>(slot)];
        EXPECT_EQ(collection(*aligned).boxes[static_cast<std::size_t>(slot)], expected) << slot;
        SCOPED_TRACE(slot);
        expect_same_pixels(collection(*aligned).images[static_cast<std::size_t>(slot)],
                           collection(*before).images[static_cast<std::size_t>(slot)]);
    }

    ASSERT_EQ(run({"align", sprite, "-c", "0", "--all", "--frame-size", "big", "-o", out}).code, 0);
    aligned = load(out);
    for (int slot = 0; slot < 6; ++slot)
        EXPECT_EQ(collection(*aligned).boxes[static_cast<std::size_t>(slot)],
                  (BoundingBox{62, 24, 68, 29}));
    EXPECT_EQ(collection(*aligned).boxes[6], collection(*before).boxes[6]);
}

TEST_F(SpriteFixture, PaletteExportAndImport) {
    auto before = load(sprite);
    const std::string act = dir.file("p.act");
    test::write_bytes(act, Data(2000, 0x55));  // a longer file is replaced whole
    const Result exported = run({"palette-export", sprite, "-c", "0", "-o", act});
    ASSERT_EQ(exported.code, 0);
    EXPECT_EQ(exported.out, "Palette exported to " + act + "\n");
    const Data bytes = test::read_bytes(act);
    ASSERT_EQ(bytes.size(), kPaletteFileSize);
    const auto expectedBytes = palette_file_bytes(collection(*before).palettes[0]);
    EXPECT_EQ(bytes, Data(expectedBytes.begin(), expectedBytes.end()));

    Data changed = bytes;
    changed[0] = 0xAB;
    test::write_bytes(act, changed);
    const std::string out = dir.file("out.spr");
    ASSERT_EQ(run({"palette-import", sprite, "-c", "0", "--palette", act, "-o", out}).code, 0);
    auto imported = load(out);
    Palette expected = collection(*before).palettes[0];
    for (auto& entry : expected) entry &= 0xFFFFFF;
    expected[0] = (expected[0] & 0x00FFFF) | 0xAB0000;
    EXPECT_EQ(collection(*imported).palettes[0], expected);
    for (int p = 1; p < kPalettesPerCollection; ++p)
        EXPECT_EQ(collection(*imported).palettes[static_cast<std::size_t>(p)],
                  collection(*before).palettes[static_cast<std::size_t>(p)]);

    test::write_bytes(act, Data(767, 1));
    const std::string out2 = dir.file("out2.spr");
    expect_failure({"palette-import", sprite, "-c", "0", "--palette", act, "-o", out2},
                   act + ": Read beyond end of file.", out2);
}

}  // namespace
}  // namespace dabro
