#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli_runner.h"
#include "document/sprite_loader.h"
#include "document/sprite_saver.h"
#include "interchange/palette_file.h"
#include "interchange/sprite_diff.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

using Data = std::vector<std::uint8_t>;
using Json = nlohmann::json;

struct TwoSprites : testing::Test {
    test::TempDir dir;
    std::string a = dir.file("a.spr");
    std::string b = dir.file("b.spr");
    std::unique_ptr<SpriteDocument> doc =
        test::make_document({.collections = {{2, 3}, {1, 1}}, .seed = 4});

    void SetUp() override {
        ASSERT_TRUE(save_sprite(a, *doc, header_of(*doc)).ok());
        ASSERT_TRUE(save_sprite(b, *doc, header_of(*doc)).ok());
    }
    void save_b() { ASSERT_TRUE(save_sprite(b, *doc, header_of(*doc)).ok()); }
};

TEST_F(TwoSprites, ExitCodesFollowDiffAndCmp) {
    const auto same = test::run_cli({"diff", a, b});
    EXPECT_EQ(same.code, 0);
    EXPECT_TRUE(same.out.empty());

    const std::int32_t old = doc->centerY;
    doc->centerY = 12345;
    save_b();
    const auto differ = test::run_cli({"diff", a, b});
    EXPECT_EQ(differ.code, 1);
    EXPECT_EQ(differ.out, "header centerY: " + std::to_string(old) + " -> 12345\n");

    test::write_bytes(dir.file("text.spr"), Data(40, 'x'));
    const struct {
        test::Args args;
        std::string message;
    } failures[] = {
        {{"diff", a, dir.file("gone.spr")}, dir.file("gone.spr") + ": File not found."},
        {{"diff", a, dir.file("text.spr")}, dir.file("text.spr") + ": This is not a .spr file."},
        {{"diff", a}, "Give two sprite files to compare."},
        {{"diff", a, b, "--brief"}, "Unknown option --brief."},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.message);
        const auto r = test::run_cli(f.args);
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.last_error_line(), f.message);
    }
}

TEST_F(TwoSprites, JsonSaysWhatTheTextSays) {
    doc->collections[1].palettes[3][200] ^= 0x10;
    doc->collections[0].boxes[4].left -= 1;
    save_b();
    const auto text = test::run_cli({"diff", a, b});
    const auto json = test::run_cli({"diff", "--json", a, b});
    ASSERT_EQ(json.code, 1);
    const Json o = Json::parse(json.out);
    EXPECT_FALSE(o["same"].get<bool>());
    const Json& list = o["differences"];
    std::string lines;
    for (const Json& d : list) lines += d["text"].get<std::string>() + '\n';
    EXPECT_EQ(lines, text.out);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]["place"], "collection 0");
    EXPECT_EQ(list[0]["which"], Json::array({4}));
    EXPECT_EQ(list[1]["field"], "palette 3");
}

// Bytes the document does not keep still make the files different.
TEST_F(TwoSprites, BytesBeyondTheDocumentStillDiffer) {
    Data bytes = test::read_bytes(b);
    const auto size = static_cast<std::int64_t>(bytes.size());
    bytes.push_back(0);
    test::write_bytes(b, bytes);
    auto session = make_session();
    LoadReport report;
    ASSERT_TRUE(load_sprite(b, *session, &report).ok() && report.isSprite);
    const auto r = test::run_cli({"diff", a, b, "--json"});
    EXPECT_EQ(r.code, 1);
    const Json d = Json::parse(r.out)["differences"][0];
    EXPECT_EQ(d["place"], "file");
    EXPECT_EQ(d["offset"], size);
}

TEST_F(TwoSprites, DumpTextIsTheCoresTextView) {
    const auto r = test::run_cli({"dump", "--text", a});
    auto session = make_session();
    ASSERT_TRUE(load_sprite(a, *session).ok());
    EXPECT_EQ(r.out, document_text(*session));
}

TEST_F(TwoSprites, PaletteCommandsReachEverySlotAndFormat) {
    const std::string out = dir.file("out.spr");
    const struct {
        const char* file;
        const char* format;  // nullptr: from the extension
        const char* start;
    } exports[] = {
        {"p.gpl", nullptr, "GIMP Palette\n"}, {"p.pal", nullptr, "JASC-PAL\r\n"},
        {"p.txt", "gpl", "GIMP Palette\n"},   {"p.act", "act772", nullptr},
        {"p.bin", nullptr, nullptr},
    };
    for (const auto& e : exports) {
        SCOPED_TRACE(e.file);
        test::Args args{"palette-export", a, "-c", "0", "-p", "2", "-o", dir.file(e.file)};
        if (e.format) args.insert(args.end(), {"--format", e.format});
        ASSERT_EQ(test::run_cli(args).code, 0);
        const Data bytes = test::read_bytes(dir.file(e.file));
        if (e.start) {
            EXPECT_EQ(
                std::string(bytes.begin(), bytes.begin() + static_cast<long>(std::strlen(e.start))),
                e.start);
        } else {
            EXPECT_EQ(bytes.size(), e.format ? 772u : 768u);
        }
        // Read back into palette 1 of the other collection.
        const auto r = test::run_cli(
            {"palette-import", a, "-c", "1", "-p", "1", "--palette", dir.file(e.file), "-o", out});
        ASSERT_EQ(r.code, 0) << r.err;
        auto session = make_session();
        ASSERT_TRUE(load_sprite(out, *session).ok());
        EXPECT_EQ(session->document.collections[1].palettes[1], doc->collections[0].palettes[2]);
        EXPECT_EQ(session->document.collections[1].palettes[0], doc->collections[1].palettes[0]);
    }
    const struct {
        test::Args args;
        const char* message;
    } failures[] = {
        {{"palette-export", a, "-c", "0", "-p", "4", "-o", dir.file("x.act")},
         "There is no palette 4: a collection has palettes 0 to 3."},
        {{"palette-export", a, "-c", "0", "--format", "riff", "-o", dir.file("x.act")},
         "Unknown palette format 'riff': use act, act772, gpl or jasc."},
        {{"palette-import", a, "-c", "0", "-p", "-1", "--palette", dir.file("p.gpl"), "-o", out},
         "There is no palette -1: a collection has palettes 0 to 3."},
    };
    std::filesystem::remove(out);
    for (const auto& f : failures) {
        SCOPED_TRACE(f.message);
        const auto r = test::run_cli(f.args);
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.last_error_line(), f.message);
        EXPECT_FALSE(std::filesystem::exists(dir.file("x.act")));
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

}  // namespace
}  // namespace dabro
