#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli_runner.h"
#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "interchange/image_png.h"
#include "interchange/png_codec.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

namespace fs = std::filesystem;
using Data = std::vector<std::uint8_t>;
using Json = nlohmann::json;

std::unique_ptr<Session> load(const std::string& path) {
    auto session = make_session();
    EXPECT_TRUE(load_sprite(path, *session).ok()) << path;
    return session;
}

std::vector<std::uint32_t> rendering(const CollectionImage& image, const Palette& palette) {
    PixelImage pixels;
    EXPECT_TRUE(decode_pixels(image, pixels).ok());
    return render_rgba(pixels, palette).pixels;
}

// Every image of `b` shows what the same image of `a` shows, under palette 0.
void expect_same_pictures(const SpriteDocument& a, const SpriteDocument& b) {
    ASSERT_EQ(a.collectionCount, b.collectionCount);
    for (int c = 0; c < a.collectionCount; ++c) {
        const ImageCollection& x = a.collections[static_cast<std::size_t>(c)];
        const ImageCollection& y = b.collections[static_cast<std::size_t>(c)];
        ASSERT_EQ(x.slot_count(), y.slot_count());
        if (x.imageSectionType != kReadableSection) continue;
        for (int k = 0; k < x.slot_count(); ++k) {
            const auto s = static_cast<std::size_t>(k);
            EXPECT_EQ(rendering(x.images[s], x.palettes[0]), rendering(y.images[s], y.palettes[0]))
                << "collection " << c << " image " << k;
        }
    }
}

std::vector<std::string> sprites_to_round_trip() {
    std::vector<std::string> files{std::string(DABRO_SOURCE_DIR) + "/samples/sample.spr"};
    for (const auto& e : fs::directory_iterator(test::test_data("fixtures")))
        if (e.path().extension() == ".spr") files.push_back(e.path().string());
    return files;
}

class UnpackPack : public testing::TestWithParam<std::string> {
  protected:
    test::TempDir dir;
    std::string folder = dir.file("unpacked");
};

TEST_P(UnpackPack, PackWithTheBaseGivesTheOriginalBytesAndWithoutItTheSamePictures) {
    const std::string original = GetParam();
    ASSERT_EQ(test::run_cli({"unpack", original, folder}).code, 0);
    const std::string same = dir.file("same.spr");
    const auto r = test::run_cli({"pack", folder, "--base", original, "-o", same});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(test::read_bytes(same), test::read_bytes(original));

    const std::string fresh = dir.file("fresh.spr");
    ASSERT_EQ(test::run_cli({"pack", folder, "-o", fresh}).code, 0);
    expect_same_pictures(load(original)->document, load(fresh)->document);
    const std::string recompressed = dir.file("recompressed.spr");
    ASSERT_EQ(test::run_cli({"recompress", original, "-o", recompressed}).code, 0);
    expect_same_pictures(load(original)->document, load(recompressed)->document);
}

INSTANTIATE_TEST_SUITE_P(Sprites, UnpackPack, testing::ValuesIn(sprites_to_round_trip()),
                         [](const auto& info) {
                             std::string name = fs::path(info.param).stem().string();
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

struct PngCli : testing::Test {
    test::TempDir dir;
    std::string sprite = dir.file("in.spr");
    std::string folder = dir.file("unpacked");
    std::string out = dir.file("out.spr");

    void SetUp() override {
        test::DocumentShape shape;
        shape.collections = {{2, 3}, {1, 1, kShortSection}, {3, 1}};
        const auto doc = test::make_document(shape);
        ASSERT_TRUE(save_sprite(sprite, *doc, header_of(*doc)).ok());
    }

    void expect_failure(const test::Args& args, const std::string& text,
                        const std::string& output) {
        SCOPED_TRACE(test::joined(args));
        const auto before = dir.entries();
        const test::CliResult r = test::run_cli(args);
        EXPECT_EQ(r.code, 1);
        std::string line = r.last_error_line();
        if (const auto at = line.find(dir.path() + "/"); at != std::string::npos)
            line.erase(at, dir.path().size() + 1);
        EXPECT_EQ(line, text);
        EXPECT_FALSE(fs::exists(output));
        EXPECT_EQ(dir.entries(), before);
    }
};

TEST_F(PngCli, AFrameAddedByWideningTheSheetIsPacked) {
    ASSERT_EQ(test::run_cli({"unpack", sprite, folder}).code, 0);
    Json json = Json::parse(test::read_bytes(folder + "/sprite.json"));
    Json& entry = json["collections"][2];
    const std::string sheetPath = folder + "/" + entry["sheet"].get<std::string>();
    RgbaImage sheet;
    ASSERT_TRUE(decode_png(test::read_bytes(sheetPath), "s", sheet).ok());
    // A fourth frame, a copy of the first, in a new column.
    const std::uint32_t cell = entry["cellWidth"];
    RgbaImage wider{sheet.width + cell, sheet.height, {}};
    for (std::uint32_t y = 0; y < sheet.height; ++y) {
        for (std::uint32_t x = 0; x < wider.width; ++x)
            wider.pixels.push_back(sheet.at(x < sheet.width ? x : x - sheet.width, y));
    }
    Data png;
    ASSERT_TRUE(encode_png(wider, png).ok());
    test::write_bytes(sheetPath, png);
    Json slot = entry["slots"][0];
    slot["frame"] = 3;
    slot["x"] = 3 * cell;
    entry["slots"].push_back(slot);
    entry["frames"] = 4;
    const std::string text = json.dump();
    test::write_bytes(folder + "/sprite.json", Data(text.begin(), text.end()));

    const auto r = test::run_cli({"pack", folder, "--base", sprite, "-o", out});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto packed = load(out);
    const auto original = load(sprite);
    const ImageCollection& col = packed->document.collections[2];
    const ImageCollection& was = original->document.collections[2];
    ASSERT_EQ(col.frames, 4);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(col.images[k].data, was.images[k].data);
    EXPECT_EQ(rendering(col.images[3], col.palettes[0]), rendering(was.images[0], was.palettes[0]));
    EXPECT_EQ(col.boxes[3], was.boxes[0]);
}

TEST_F(PngCli, ImagesAndSheetsGoOutAndComeBack) {
    const std::string png = dir.file("one.png");
    ASSERT_EQ(
        test::run_cli({"export-png", sprite, "-c", "0", "-f", "1", "-d", "2", "-p", "3", "-o", png})
            .code,
        0);
    const auto r = test::run_cli({"import-png", sprite, "-c", "0", "-f", "0", "-d", "0", "--png",
                                  png, "-p", "3", "--encoding", "one-pixel", "-o", out});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto original = load(sprite);
    const auto imported = load(out);
    const CollectionImage& from = original->document.collections[0].images[5];
    const CollectionImage& to = imported->document.collections[0].images[0];
    EXPECT_EQ(to.width, from.width);
    EXPECT_EQ(rendering(to, original->document.collections[0].palettes[3]),
              rendering(from, original->document.collections[0].palettes[3]));

    const std::string sheet = dir.file("sheet.png");
    ASSERT_EQ(test::run_cli({"export-sheet", sprite, "-c", "0", "-o", sheet}).code, 0);
    EXPECT_TRUE(fs::exists(dir.file("sheet.json")));
    ASSERT_EQ(test::run_cli({"import-sheet", sprite, "-c", "0", "--sheet", sheet, "-o", out}).code,
              0);
    EXPECT_EQ(test::read_bytes(out), test::read_bytes(sprite));
}

TEST_F(PngCli, FailuresChangeNothing) {
    const std::string& s = sprite;
    const std::string& o = out;
    const std::string sheet = dir.file("sheet.png");
    ASSERT_EQ(test::run_cli({"export-sheet", s, "-c", "0", "-o", sheet}).code, 0);
    const std::string rgba = dir.file("rgba.png");
    ASSERT_EQ(test::run_cli({"export-png", s, "-c", "0", "-f", "0", "-d", "0", "-o", rgba}).code,
              0);
    fs::create_directory(folder);
    test::write_bytes(folder + "/note.txt", Data{'x'});

    expect_failure({"export-png", s, "-c", "0", "-f", "0", "-d", "0", "-p", "4", "-o", o},
                   "There is no palette 4: a collection has palettes 0 to 3.", out);
    expect_failure({"import-png", s, "-c", "0", "-f", "0", "-d", "0", "--png", sheet, "--encoding",
                    "fast", "-o", o},
                   "Unknown encoding 'fast': use compact or one-pixel.", out);
    expect_failure(
        {"import-png", s, "-c", "0", "-f", "0", "-d", "0", "--png", dir.file("none.png"), "-o", o},
        "none.png: File not found.", out);
    expect_failure({"import-png", s, "-c", "0", "-f", "0", "-d", "0", "--png", rgba,
                    "--keep-indices", "-o", o},
                   "rgba.png holds no indices: keeping indices needs an indexed PNG or a grey PNG "
                   "of 8 bits or fewer.",
                   out);
    expect_failure({"import-png", s, "-c", "0", "-f", "0", "-d", "0", "--png", s, "-o", o},
                   "in.spr is not a PNG file.", out);
    expect_failure({"import-sheet", s, "-c", "2", "--sheet", sheet, "-o", o},
                   "The sheet has 2 frames and 3 directions; the collection has 3 frames and 1 "
                   "direction.",
                   out);
    expect_failure({"export-sheet", s, "-c", "1", "-o", dir.file("s1.png")},
                   "Sprite with compressed images. Images unaccesible.", dir.file("s1.png"));
    expect_failure({"unpack", s, folder}, "unpacked exists and is not empty.", out);
    expect_failure({"unpack", s, dir.file("none/unpacked")}, "none/: Folder not found.", out);
    expect_failure({"unpack", s}, "Give the sprite file and the folder to unpack into.", out);
    expect_failure({"pack", folder, "-o", o}, "unpacked/sprite.json: File not found.", out);
    expect_failure({"pack", folder, "--encoding", "rle", "-o", o},
                   "Unknown encoding 'rle': use compact or one-pixel.", out);
    expect_failure({"recompress", s}, "Option -o is required.", out);
}

// A sheet that cannot be read is named once, whether or not the reader's message names it.
TEST_F(PngCli, PackNamesABrokenSheetOnce) {
    const std::string rgba = dir.file("rgba.png");
    ASSERT_EQ(
        test::run_cli({"export-png", sprite, "-c", "0", "-f", "0", "-d", "0", "-o", rgba}).code, 0);
    ASSERT_EQ(test::run_cli({"unpack", sprite, folder}).code, 0);
    std::string sheet;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".png") sheet = entry.path().filename().string();
    ASSERT_FALSE(sheet.empty());
    struct Case {
        Data bytes;
        std::string starts;
    };
    for (const Case& c : {Case{Data(40, 'x'), sheet + " is not a PNG file."},
                          Case{test::read_bytes(rgba), sheet + ": The image of "}}) {
        test::write_bytes(folder + "/" + sheet, c.bytes);
        const test::CliResult r = test::run_cli({"pack", folder, "-o", out});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.last_error_line().substr(0, c.starts.size()), c.starts);
    }
}

}  // namespace
}  // namespace dabro
