#include <gtest/gtest.h>

#include "document/file_layer.h"
#include "imaging/reference.h"
#include "imaging/render.h"
#include "interchange/palette_file.h"
#include "interchange/raw_import.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

using Data = std::vector<std::uint8_t>;

TEST(RawImport, NameParsing) {
    struct Case {
        const char* path;
        ImportName name;
    };
    const Case cases[] = {
        {"items/sword_64x32.raw",
         {"items/", "sword", "64", "32", "items/sword.act", "items/sword_64x32.raw.pal"}},
        {"/a/b/axe_10x20.raw",
         {"/a/b/", "axe", "10", "20", "/a/b/axe.act", "/a/b/axe_10x20.raw.pal"}},
        {"big_axe_64x32.raw", {"", "big", "a", "e_64x32", "big.act", "big_axe_64x32.raw.pal"}},
        {"d/64x32.raw", {"d/", "", "64", "32", "d/.act", "d/64x32.raw.pal"}},
        {"sword_64X32.raw", {"", "sword", "", "64X32", "sword.act", "sword_64X32.raw.pal"}},
        {"sword_64x.raw", {"", "sword", "64", "", "sword.act", "sword_64x.raw.pal"}},
        {"sword_64x32", {"", "sword", "", "", "sword.act", "sword_64x32.pal"}},  // no "."
        {"v1.2_64x32.raw",
         {"", "v1.2", "", "", "v1.2.act", "v1.2_64x32.raw.pal"}},  // "." before "_"
        {"sword_.raw", {"", "sword", "", "", "sword.act", "sword_.raw.pal"}},
        {"dir_1x2/pic.raw",
         {"dir_1x2/", "", "", "pic", "dir_1x2/.act",
          "dir_1x2/pic.raw.pal"}},  // the folder is not searched
        {"_3x4.raw", {"", "", "3", "4", ".act", "_3x4.raw.pal"}},
        {"a_ 5x$1F.x.raw", {"", "a", " 5", "$1F", "a.act", "a_ 5x$1F.x.raw.pal"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const ImportName n = parse_import_name(c.path);
        EXPECT_EQ(n.folder, c.name.folder);
        EXPECT_EQ(n.prefix, c.name.prefix);
        EXPECT_EQ(n.widthText, c.name.widthText);
        EXPECT_EQ(n.heightText, c.name.heightText);
        EXPECT_EQ(n.palettePath, c.name.palettePath);
        EXPECT_EQ(n.gimpPalettePath, c.name.gimpPalettePath);
    }
}

TEST(RawImport, OnePixelEncodingOfTheFile) {
    struct Case {
        Data raw;
        Data encoded;
    };
    const Case cases[] = {
        {{0x07, 0xFF, 0x03, 0x00}, {0x06, 0x07, 0xFF, 0x04}},
        {{}, {}},
        {{0x09}, {}},  // a lone index without its alpha
        {{0x01, 0x80, 0x09}, {0x06, 0x01, 0x80}},
        {{5, 0, 6, 0, 7, 0}, {4, 4, 4}},
        {{5, 1, 6, 2, 7, 255}, {6, 5, 1, 6, 6, 2, 6, 7, 255}},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        test::write_bytes(dir.file("p.raw"), c.raw);
        CollectionImage image;
        image.width = 3;
        image.height = 4;
        image.set_data({0xFC});
        ASSERT_TRUE(test::load_raw_into(image, dir.file("p.raw")).ok());
        EXPECT_EQ(image.data, c.encoded);
        EXPECT_EQ(image.dataLength, static_cast<std::int32_t>(c.encoded.size()));
        EXPECT_EQ(image.width, 3);  // the size stays, whatever the file's pixel count
        EXPECT_EQ(image.height, 4);
    }
}

TEST(RawImport, AMissingFileChangesNothing) {
    test::TempDir dir;
    CollectionImage image;
    image.set_data({0x05, 0x01});
    const CollectionImage before = image;
    const Status s = test::load_raw_into(image, dir.file("none.raw"));
    EXPECT_EQ(failure_text(s.message()), "File not found.");
    EXPECT_EQ(image, before);
}

struct ImportByName : testing::Test {
    test::TempDir dir;
    CollectionImage image;
    Palette palette{};
    CollectionImage imageBefore;
    Palette paletteBefore{};

    void SetUp() override {
        image.width = 9;
        image.height = 8;
        image.set_data({0x0D, 1, 2, 3});
        palette.fill(0x010203);
        imageBefore = image;
        paletteBefore = palette;
    }
    void expect_unchanged() {
        EXPECT_EQ(image, imageBefore);
        EXPECT_EQ(palette, paletteBefore);
    }
};

TEST_F(ImportByName, FailuresChangeNothing) {
    struct Case {
        const char* rawName;
        bool writeRaw;
        const char* paletteName;  // written with 768 bytes when not null
        std::size_t paletteSize;
        const char* message;
    };
    const Case cases[] = {
        {"big_axe_64x32.raw", true, "big.act", 768, "'e_64x32' is not a valid integer value."},
        {"sword_64X32.raw", true, "sword.act", 768, "'64X32' is not a valid integer value."},
        {"sword_64x.raw", true, "sword.act", 768, "'' is not a valid integer value."},
        {"sword_x32.raw", true, "sword.act", 768, "'' is not a valid integer value."},
        {"sword_64 x32.raw", true, "sword.act", 768, "'64 ' is not a valid integer value."},
        {"sword_2x1.raw", true, nullptr, 0,
         "File not found: neither HERE/sword.act nor HERE/sword_2x1.raw.pal exists."},
        {"sword_2x1.raw", true, "sword.act", 767, "Read beyond end of file."},
        {"sword_3x1.raw", true, "sword.act", 768,
         "HERE/sword_3x1.raw is 4 bytes; a 3 x 1 image takes 3 (an index a pixel) or 6 (an "
         "index and an alpha a pixel)"},
        {"sword_64x32.raw", true, "sword.act", 768,
         "HERE/sword_64x32.raw is 4 bytes; a 64 x 32 image takes 2048 (an index a pixel) or "
         "4096 (an index and an alpha a pixel)"},
        {"gone_64x32.raw", false, "gone.act", 768, "File not found."},
        {"gone_64X32.raw", false, "gone.act", 768,
         "File not found."},  // the raw file is read first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rawName);
        test::TempDir here;
        if (c.writeRaw) test::write_bytes(here.file(c.rawName), {5, 255, 6, 0});
        if (c.paletteName) test::write_bytes(here.file(c.paletteName), Data(c.paletteSize, 0x44));
        const Status s = test::import_by_name_into(image, palette, here.file(c.rawName));
        std::string message = c.message;
        for (std::size_t at; (at = message.find("HERE")) != std::string::npos;)
            message.replace(at, 4, here.path());
        EXPECT_EQ(failure_text(s.message()), message);
        expect_unchanged();
    }
}

TEST_F(ImportByName, SizeTextsFollowTheIntegerRule) {
    test::write_bytes(dir.file("t_ $10x-3.raw"), {});
    test::write_bytes(dir.file("t.act"), Data(800, 0x44));
    ASSERT_TRUE(test::import_by_name_into(image, palette, dir.file("t_ $10x-3.raw")).ok());
    EXPECT_EQ(image.width, 16);
    EXPECT_EQ(image.height, -3);
    EXPECT_EQ(image.data, Data{});
    EXPECT_EQ(palette[255], 0x444444u);
}

// GIMP's raw export of an indexed image without alpha: W x H bytes, one index a pixel.
TEST_F(ImportByName, OneByteAPixelIsAnOpaqueIndex) {
    test::write_bytes(dir.file("g_3x1.raw"), {5, 0, 7});
    test::write_bytes(dir.file("g.act"), Data(768, 0x44));
    ASSERT_TRUE(test::import_by_name_into(image, palette, dir.file("g_3x1.raw")).ok());
    EXPECT_EQ(image.data, (Data{6, 5, 255, 6, 0, 255, 6, 7, 255}));
    EXPECT_EQ(image.width, 3);
}

// GIMP's raw export writes its palette as <file>.raw.pal, 3 bytes a colour used: it is read
// when the palette named by the prefix does not exist, and sets only the entries it holds.
TEST_F(ImportByName, GimpsPaletteStandsInForAMissingOne) {
    Data gimp(48);
    for (std::size_t i = 0; i < gimp.size(); ++i) gimp[i] = static_cast<std::uint8_t>(i);
    test::write_bytes(dir.file("g_2x1.raw"), {1, 255, 2, 0});
    test::write_bytes(dir.file("g_2x1.raw.pal"), gimp);
    ASSERT_TRUE(test::import_by_name_into(image, palette, dir.file("g_2x1.raw")).ok());
    EXPECT_EQ(palette[0], 0x000102u);
    EXPECT_EQ(palette[15], 0x2D2E2Fu);
    EXPECT_EQ(palette[16], 0x010203u);
    EXPECT_EQ(image.width, 2);

    // With both present the prefix's palette wins; a broken GIMP palette is not looked at.
    test::write_bytes(dir.file("g.act"), Data(768, 0x44));
    test::write_bytes(dir.file("g_2x1.raw.pal"), Data(47, 1));
    ASSERT_TRUE(test::import_by_name_into(image, palette, dir.file("g_2x1.raw")).ok());
    EXPECT_EQ(palette[16], 0x444444u);
}

// Import a raw file by name, render it, and find every pixel of the file, blended with
// its palette colour over the grey.
TEST_F(ImportByName, RoundTripThroughTheRenderer) {
    test::Rng rng(9);
    const int w = 37, h = 23;
    Data raw = test::random_bytes(rng, 2 * w * h);
    for (std::size_t i = 1; i < raw.size(); i += 14) raw[i] = 0;    // some transparent pixels
    for (std::size_t i = 3; i < raw.size(); i += 10) raw[i] = 255;  // some opaque ones
    const Data paletteBytes = test::random_bytes(rng, kPaletteFileSize);
    test::write_bytes(dir.file("ship_37x23.raw"), raw);
    test::write_bytes(dir.file("ship.act"), paletteBytes);

    ASSERT_TRUE(test::import_by_name_into(image, palette, dir.file("ship_37x23.raw")).ok());
    ASSERT_EQ(image.width, w);
    ASSERT_EQ(image.height, h);
    std::vector<std::uint32_t> picture(static_cast<std::size_t>(w * h));
    render_image_into(image, palette, picture.data(), w, h, w);
    for (int i = 0; i < w * h; ++i) {
        const std::size_t index = raw[2 * static_cast<std::size_t>(i)];
        const int alpha = raw[2 * static_cast<std::size_t>(i) + 1];
        const std::uint32_t colour = std::uint32_t{paletteBytes[3 * index]} << 16 |
                                     std::uint32_t{paletteBytes[3 * index + 1]} << 8 |
                                     paletteBytes[3 * index + 2];
        ASSERT_EQ(picture[static_cast<std::size_t>(i)], test::ref_rgb32(alpha, colour))
            << "pixel " << i;
    }
}

// A file layer whose reads fail after a number of successful opens: the palette read fails
// after the raw file was read.
class FailingSecondOpen : public FileLayer {
  public:
    int open_read(const std::string& path) override {
        if (opens_++ >= 1) return -EACCES;
        return FileLayer::open_read(path);
    }

  private:
    int opens_ = 0;
};

TEST_F(ImportByName, APaletteThatCannotBeOpenedChangesNothing) {
    test::write_bytes(dir.file("s_2x1.raw"), {1, 1, 2, 2});
    test::write_bytes(dir.file("s.act"), Data(768, 0x44));
    FailingSecondOpen layer;
    ScopedFileLayer use(layer);
    const Status s = test::import_by_name_into(image, palette, dir.file("s_2x1.raw"));
    EXPECT_EQ(failure_text(s.message()), "File access denied.");
    expect_unchanged();
}

}  // namespace
}  // namespace dabro
