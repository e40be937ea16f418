#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

#include "interchange/image_png.h"
#include "interchange/sheet.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Json = nlohmann::json;

// Collection 0 of 3 frames x 2 directions, images of differing sizes whose data include
// runs past the row end, names with bytes above 127.
std::unique_ptr<SpriteDocument> sheet_document() {
    test::DocumentShape shape;
    shape.collections = {{3, 2}};
    auto doc = test::make_document(shape);
    ImageCollection& col = doc->collections[0];
    for (int k = 0; k < col.slot_count(); ++k) {
        CollectionImage& image = col.images[static_cast<std::size_t>(k)];
        image.width = 2 + k % 5;
        image.height = 1 + k % 4;
        image.sourceName.assign(k % 2 ? "h\xE9ro.spr" : "");
    }
    col.images[4].width = 0;  // an image without pixels still has a cell
    return doc;
}

std::vector<std::uint32_t> rendering(const CollectionImage& image, const Palette& palette) {
    PixelImage pixels;
    EXPECT_TRUE(decode_pixels(image, pixels).ok());
    return render_rgba(pixels, palette).pixels;
}

struct SheetFixture : testing::Test {
    test::TempDir dir;
    std::unique_ptr<SpriteDocument> doc = sheet_document();
    const ImageCollection& col = doc->collections[0];
    std::string png = dir.file("walk.png");
    std::string json = dir.file("walk.json");

    void SetUp() override { ASSERT_TRUE(export_sheet(col, png).ok()); }

    Json read_json() { return Json::parse(test::read_bytes(json)); }
    void write_json(const Json& j) {
        const std::string text = j.dump();
        test::write_bytes(json, Bytes(text.begin(), text.end()));
    }
};

TEST_F(SheetFixture, LaysCellsOutByDirectionAndFrameWithTheLargestSize) {
    const Json j = read_json();
    EXPECT_EQ(j["cellWidth"], 5);
    EXPECT_EQ(j["cellHeight"], 4);
    const std::string name = j["name"];
    const auto high = std::count_if(col.name.view().begin(), col.name.view().end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    EXPECT_EQ(name.size(), col.name.size() + static_cast<std::size_t>(high))
        << "each byte above 127 takes two in UTF-8";
    const Json& slot5 = j["slots"][5];  // frame 2, direction 1
    EXPECT_EQ(slot5["frame"], 2);
    EXPECT_EQ(slot5["direction"], 1);
    EXPECT_EQ(slot5["x"], 10);
    EXPECT_EQ(slot5["y"], 4);
    EXPECT_EQ(slot5["box"]["left"], col.boxes[5].left);
    EXPECT_EQ(j["slots"][1]["sourceName"], "h\xC3\xA9ro.spr");
    EXPECT_EQ(j["palettes"][2].size(), 256u);
    RgbaImage sheet;
    ASSERT_TRUE(decode_png(test::read_bytes(png), "walk.png", sheet).ok());
    EXPECT_EQ(sheet.width, 15u);
    EXPECT_EQ(sheet.height, 8u);
}

TEST_F(SheetFixture, ReadBackKeepsBytesWithABaseAndPixelsWithout) {
    SheetContent kept;
    ASSERT_TRUE(read_sheet(png, Encoding::Compact, &col, kept).ok());
    SheetContent fresh;
    ASSERT_TRUE(read_sheet(png, Encoding::OnePixel, nullptr, fresh).ok());
    for (int k = 0; k < col.slot_count(); ++k) {
        SCOPED_TRACE(k);
        const CollectionImage& original = col.images[static_cast<std::size_t>(k)];
        const CollectionImage& a = kept.images[static_cast<std::size_t>(k)];
        EXPECT_EQ(a, original);
        EXPECT_EQ(fresh.images[static_cast<std::size_t>(k)].width, original.width);
        EXPECT_EQ(rendering(fresh.images[static_cast<std::size_t>(k)], col.palettes[0]),
                  rendering(original, col.palettes[0]));
    }
    auto copy = std::make_unique<SpriteDocument>(*doc);
    ASSERT_TRUE(check_sheet_fits(*copy, 0, kept.layout).ok());
    CollectionContent replacement = collection_content(std::move(kept));
    exchange_collection_content(*copy, 0, replacement);
    EXPECT_TRUE(*copy == *doc);
}

TEST_F(SheetFixture, AnEditedCellChangesOnlyItsOwnImage) {
    RgbaImage sheet;
    ASSERT_TRUE(decode_png(test::read_bytes(png), "walk.png", sheet).ok());
    const std::uint32_t c = col.palettes[0][77];
    // Pixel (1, 1) of frame 1, direction 1 (slot 3).
    const Json slot = read_json()["slots"][3];
    sheet.pixels[(slot["y"].get<std::size_t>() + 1) * sheet.width + slot["x"].get<std::size_t>() +
                 1] = (c >> 16 & 0xFF) | (c & 0xFF00) | (c & 0xFF) << 16 | 0xFF000000u;
    Bytes edited;
    ASSERT_TRUE(encode_png(sheet, edited).ok());
    test::write_bytes(png, edited);
    SheetContent content;
    ASSERT_TRUE(read_sheet(png, Encoding::Compact, &col, content).ok());
    for (int k = 0; k < col.slot_count(); ++k) {
        SCOPED_TRACE(k);
        const bool same =
            content.images[static_cast<std::size_t>(k)] == col.images[static_cast<std::size_t>(k)];
        EXPECT_EQ(same, k != 3);
    }
    PixelImage pixels;
    ASSERT_TRUE(decode_pixels(content.images[3], pixels).ok());
    EXPECT_EQ(pixels.at(1, 1).alpha, 255);
    EXPECT_EQ(col.palettes[0][pixels.at(1, 1).index] & 0xFFFFFF, c & 0xFFFFFF);
}

// Entries 0 and 1 of palette 0 share a colour, as black does in the sample: an edit of one
// pixel keeps every other pixel's index, so palettes 1 to 3 still show it as before.
TEST_F(SheetFixture, AnEditKeepsTheIndicesOfUnchangedPixelsWhereColoursRepeat) {
    ImageCollection& c = doc->collections[0];
    c.palettes[0][1] = c.palettes[0][0];
    CollectionImage& image = c.images[3];
    PixelImage pixels{image.width, image.height, {}};
    for (int i = 0; i < image.width * image.height; ++i)
        pixels.pixels.push_back(indexed_pixel(i % 2 ? 1 : 0, 255));
    image.set_data(encode_compact(pixels));
    ASSERT_TRUE(export_sheet(col, png).ok());
    RgbaImage sheet;
    ASSERT_TRUE(decode_png(test::read_bytes(png), "walk.png", sheet).ok());
    const Json slot = read_json()["slots"][3];
    const std::size_t at =
        slot["y"].get<std::size_t>() * sheet.width + slot["x"].get<std::size_t>();
    sheet.pixels[at] = rgba_of(indexed_pixel(77, 255), c.palettes[0]);
    Bytes edited;
    ASSERT_TRUE(encode_png(sheet, edited).ok());
    test::write_bytes(png, edited);
    SheetContent content;
    ASSERT_TRUE(read_sheet(png, Encoding::Compact, &col, content).ok());
    PixelImage back;
    ASSERT_TRUE(decode_pixels(content.images[3], back).ok());
    PixelImage expected = pixels;
    expected.pixels[0] = indexed_pixel(77, 255);
    EXPECT_EQ(back, expected);
}

TEST_F(SheetFixture, BadInputIsRefusedWithAClearMessage) {
    struct Case {
        const char* name;
        std::function<void(SheetFixture&)> spoil;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"malformed JSON",
         [](SheetFixture& f) {
             test::write_bytes(f.json, Bytes{'{', '\n', ' ', ']'});
         },
         "walk.json is not valid JSON: line 2, column 2: "},
        {"number beyond any type",
         [](SheetFixture& f) {
             const std::string text = "{\"version\": 1e999}";
             test::write_bytes(f.json, Bytes(text.begin(), text.end()));
         },
         "walk.json is not valid JSON: number overflow parsing '1e999'"},
        {"missing key",
         [](SheetFixture& f) {
             Json j = f.read_json();
             j["slots"][2].erase("flag");
             f.write_json(j);
         },
         "walk.json: slots[2] has no key \"flag\""},
        {"wrong type",
         [](SheetFixture& f) {
             Json j = f.read_json();
             j["palettes"][1][3] = 12;
             f.write_json(j);
         },
         "walk.json: palettes[1][3] must be a colour \"#rrggbb\""},
        {"frames over the capacity",
         [](SheetFixture& f) {
             Json j = f.read_json();
             j["frames"] = 3841;
             f.write_json(j);
         },
         "walk.json: frames is 3841, out of range: it must be an integer from 0 to 3840"},
        {"name over 40 bytes",
         [](SheetFixture& f) {
             Json j = f.read_json();
             j["name"] = std::string(41, 'n');
             f.write_json(j);
         },
         "walk.json: name is 41 bytes long, more than 40"},
        {"cell outside the sheet",
         [](SheetFixture& f) {
             Json j = f.read_json();
             j["slots"][5]["x"] = 14;
             f.write_json(j);
         },
         "The image of frame 2, direction 1 (2 x 2 at 14, 4) lies outside the sheet of 15 x 8 "
         "pixels"},
        {"negative width",
         [](SheetFixture& f) {
             Json j = f.read_json();
             j["slots"][3]["width"] = -1;
             f.write_json(j);
         },
         "walk.json: slots[3].width is -1, out of range: it must be an integer from 0 to 5"},
        {"taller than the cell",
         [](SheetFixture& f) {
             Json j = f.read_json();
             j["slots"][2]["height"] = 5;
             f.write_json(j);
         },
         "walk.json: slots[2].height is 5, out of range: it must be an integer from 0 to 4"},
        {"sheet over the limit once imported",
         [](SheetFixture& f) {
             Json j = f.read_json();
             j["cellWidth"] = j["cellHeight"] = 5000;
             j["slots"][0]["width"] = j["slots"][0]["height"] = 5000;
             f.write_json(j);
         },
         "walk.json: An image of 5000 x 5000 pixels would make the sheet of collection '"},
        {"repeated slot",
         [](SheetFixture& f) {
             Json j = f.read_json();
             j["slots"][1]["direction"] = 0;
             f.write_json(j);
         },
         "walk.json: slots[1] repeats frame 0, direction 0"},
        {"missing sheet", [](SheetFixture& f) { std::filesystem::remove(f.png); },
         "walk.png: File not found"},
        {"missing JSON", [](SheetFixture& f) { std::filesystem::remove(f.json); },
         "walk.json: File not found"},
        {"not a PNG", [](SheetFixture& f) { test::write_bytes(f.png, Bytes(40, 'x')); },
         "walk.png is not a PNG file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(export_sheet(col, png).ok());
        c.spoil(*this);
        SheetContent content;
        const Status s = read_sheet(png, Encoding::Compact, &col, content);
        EXPECT_FALSE(s.ok());
        std::string message = message_naming_subject(s);
        const std::string folder = dir.path() + "/";
        for (auto at = message.find(folder); at != std::string::npos; at = message.find(folder))
            message.erase(at, folder.size());
        EXPECT_EQ(message.substr(0, c.message.size()), c.message) << message;
    }
}

TEST_F(SheetFixture, OtherCountsAreRefusedNamingBoth) {
    SheetContent content;
    ASSERT_TRUE(read_sheet(png, Encoding::Compact, nullptr, content).ok());
    auto other = std::make_unique<SpriteDocument>(*doc);
    other->collections[0].frames = 2;
    const auto before = std::make_unique<SpriteDocument>(*other);
    EXPECT_EQ(check_sheet_fits(*other, 0, content.layout).message(),
              "The sheet has 3 frames and 2 directions; the collection has 2 frames and 2 "
              "directions");
    EXPECT_TRUE(*other == *before);
}

// A collection count past the table's capacity (a hostile file) gives no collection there.
TEST_F(SheetFixture, CollectionsOutsideTheTableAreRefused) {
    SheetContent content;
    ASSERT_TRUE(read_sheet(png, Encoding::Compact, nullptr, content).ok());
    auto other = std::make_unique<SpriteDocument>(*doc);
    other->collectionCount = kMaxCollections + 5;
    for (const int c : {-1, kMaxCollections, kMaxCollections + 4})
        EXPECT_EQ(check_sheet_fits(*other, c, content.layout).message(),
                  "There is no collection " + std::to_string(c));
}

TEST_F(SheetFixture, CancellingTheExportLeavesTheFilesAsTheyWere) {
    const Bytes pngBefore = test::read_bytes(png);
    const Bytes jsonBefore = test::read_bytes(json);
    doc->collections[0].images[0].width = 1;
    const Status s =
        export_sheet(col, png, [](std::int64_t done, std::int64_t) { return done < 1; });
    EXPECT_TRUE(s.is_cancelled());
    EXPECT_EQ(test::read_bytes(png), pngBefore);
    EXPECT_EQ(test::read_bytes(json), jsonBefore);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"walk.json", "walk.png"}));
}

}  // namespace
}  // namespace dabro
