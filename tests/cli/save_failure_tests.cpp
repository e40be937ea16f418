#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "document/sprite_saver.h"
#include "interchange/palette_formats.h"
#include "support/faulty_file_layer.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {
using Data = std::vector<std::uint8_t>;

// Every way the program writes a file, run on the same inputs: a sprite whose collection 0
// holds 2 frames x 3 directions, a raw image and a palette file. Each returns the failure's
// text, empty on success.
struct Writer {
    const char* name;
    std::function<std::string(const test::TempDir& in, const std::string& out)> write;
    bool batch = true;  // the batch tool names the file; the library keeps the window's texts
};

std::ostream& operator<<(std::ostream& os, const Writer& w) {
    return os << w.name;
}

std::string cli(const test::TempDir& in, const std::string& out, test::Args args) {
    args.insert(args.begin() + 1, in.file("in.spr"));
    args.insert(args.end(), {"-o", out});
    const test::CliResult r = test::run_cli(args);
    if (r.code == 0) return {};
    EXPECT_EQ(r.code, 1) << r.err;
    return r.last_error_line();
}

std::unique_ptr<SpriteDocument> document() {
    test::DocumentShape shape;
    shape.collections = {{2, 3}};
    return test::make_document(shape);
}

std::string library(const Status& s) {
    return s.ok() ? std::string() : failure_text(s.message());
}

const Writer kWriters[] = {
    {"save_sprite",
     [](const test::TempDir&, const std::string& out) {
         const auto doc = document();
         return library(save_sprite(out, *doc, header_of(*doc)));
     },
     false},
    {"write_palette_as",
     [](const test::TempDir&, const std::string& out) {
         return library(
             write_palette_as(out, document()->collections[0].palettes[0], PaletteFormat::Act));
     },
     false},
    {"resave",
     [](const test::TempDir& in, const std::string& out) { return cli(in, out, {"resave"}); }},
    {"import_raw",
     [](const test::TempDir& in, const std::string& out) {
         return cli(in, out,
                    {"import-raw", "-c", "0", "-f", "1", "-d", "2", "--raw", in.file("a_3x2.raw")});
     }},
    {"import_raw_by_name",
     [](const test::TempDir& in, const std::string& out) {
         return cli(in, out,
                    {"import-raw", "-c", "0", "-f", "0", "-d", "0", "--raw", in.file("a_3x2.raw"),
                     "--by-name"});
     }},
    {"halve",
     [](const test::TempDir& in, const std::string& out) {
         return cli(in, out, {"halve", "-c", "0", "--all"});
     }},
    {"align",
     [](const test::TempDir& in, const std::string& out) {
         return cli(in, out, {"align", "-c", "0", "--all", "--frame-size", "big"});
     }},
    {"palette_export",
     [](const test::TempDir& in, const std::string& out) {
         return cli(in, out, {"palette-export", "-c", "0"});
     }},
    {"palette_import",
     [](const test::TempDir& in, const std::string& out) {
         return cli(in, out, {"palette-import", "-c", "0", "--palette", in.file("a.act")});
     }},
    {"render",
     [](const test::TempDir& in, const std::string& out) {
         return cli(in, out, {"render", "-c", "0", "-f", "1", "-d", "1"});
     }},
};

class FileWriter : public ::testing::TestWithParam<Writer> {
  protected:
    void SetUp() override {
        const auto doc = document();
        ASSERT_TRUE(save_sprite(in_.file("in.spr"), *doc, header_of(*doc)).ok());
        test::write_bytes(in_.file("a_3x2.raw"), Data(12, 3));
        test::write_bytes(in_.file("a.act"), Data(768, 200));
    }

    test::TempDir in_;
    test::TempDir out_;
};

// Without the flush the new file may not be on the disk when it replaces the old one.
TEST_P(FileWriter, FlushesBeforeItReplacesTheFile) {
    const std::string out = out_.file("out");
    const Data old(40, 0x5A);
    test::write_bytes(out, old);
    test::FaultyFileLayer layer;
    layer.fail_nth(test::FileCall::Sync, 1, test::Fault::Error, EIO);
    std::string failure;
    {
        ScopedFileLayer use(layer);
        failure = GetParam().write(in_, out);
    }
    EXPECT_TRUE(layer.fired()) << "the file was not flushed";
    EXPECT_EQ(failure, (GetParam().batch ? out + ": " : "") + "I/O error 5.");
    EXPECT_EQ(test::read_bytes(out), old);
    EXPECT_EQ(out_.entries(), std::vector<std::string>{"out"});
}

TEST_P(FileWriter, AFailedSaveReportsTheFileErrorAndWritesNothing) {
    EXPECT_EQ(GetParam().write(in_, out_.file("missing/out")),
              GetParam().batch ? out_.file("missing/") + ": Folder not found." : "File not found.");
    EXPECT_EQ(out_.entries(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Writers, FileWriter, ::testing::ValuesIn(kWriters),
                         [](const auto& info) { return std::string(info.param.name); });

// Each command with an output that is one of its inputs, by another name: "./", a hard link
// or a symbolic link. Only resave may write over its own FILE.
struct OwnInput {
    const char* name;
    test::Args args;  // run in the folder of the inputs
    int code = 1;
};

std::ostream& operator<<(std::ostream& os, const OwnInput& c) {
    return os << c.name;
}

class OutputOverInput : public ::testing::TestWithParam<OwnInput> {};

TEST_P(OutputOverInput, IsRefusedAndWritesNothing) {
    test::TempDir dir;
    const auto doc = document();
    ASSERT_TRUE(save_sprite(dir.file("in.spr"), *doc, header_of(*doc)).ok());
    test::write_bytes(dir.file("a_3x2.raw"), Data(12, 3));
    test::write_bytes(dir.file("a.act"), Data(768, 200));
    const std::string in = dir.file("in.spr");
    for (const test::Args& setup :
         {test::Args{"export-png", in, "-c", "0", "-f", "0", "-d", "0", "-o", "a.png"},
          test::Args{"export-sheet", in, "-c", "0", "-o", "s.png"},
          test::Args{"unpack", in, "folder"}}) {
        test::Args args = setup;
        args.back() = dir.file(setup.back());
        ASSERT_EQ(test::run_cli(args).code, 0);
    }
    std::filesystem::create_hard_link(dir.file("in.spr"), dir.file("walk.json"));
    std::filesystem::create_symlink("in.spr", dir.file("link.spr"));
    std::map<std::string, Data> before;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path()))
        if (e.is_regular_file()) before[e.path().string()] = test::read_bytes(e.path().string());

    test::Args args = GetParam().args;
    for (std::size_t i = 1; i < args.size(); ++i)
        if (args[i][0] != '-' && args[i] != "0") args[i] = dir.path() + "/" + args[i];
    const test::CliResult r = test::run_cli(args);
    EXPECT_EQ(r.code, GetParam().code) << r.err;
    if (GetParam().code == 1) {
        EXPECT_NE(r.last_error_line().find("is the same file as the input"), std::string::npos)
            << r.last_error_line();
    }
    std::map<std::string, Data> after;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path()))
        if (e.is_regular_file()) after[e.path().string()] = test::read_bytes(e.path().string());
    EXPECT_TRUE(after == before);
}

const OwnInput kOwnInputs[] = {
    {"export_png", {"export-png", "in.spr", "-c", "0", "-f", "0", "-d", "0", "-o", "./in.spr"}},
    {"export_sheet_json_beside", {"export-sheet", "in.spr", "-c", "0", "-o", "walk.png"}},
    {"render", {"render", "in.spr", "-c", "0", "-f", "0", "-d", "0", "-o", "link.spr"}},
    {"render_sequence", {"render-sequence", "in.spr", "-s", "0", "-o", "walk.json"}},
    {"palette_export", {"palette-export", "in.spr", "-c", "0", "-o", "in.spr"}},
    {"import_png",
     {"import-png", "in.spr", "-c", "0", "-f", "0", "-d", "0", "--png", "a.png", "-o", "a.png"}},
    {"import_sheet", {"import-sheet", "in.spr", "-c", "0", "--sheet", "s.png", "-o", "s.json"}},
    {"import_raw",
     {"import-raw", "in.spr", "-c", "0", "-f", "0", "-d", "0", "--raw", "a_3x2.raw", "-o",
      "a_3x2.raw"}},
    {"palette_import",
     {"palette-import", "in.spr", "-c", "0", "--palette", "a.act", "-o", "a.act"}},
    {"pack_sprite_json", {"pack", "folder", "-o", "folder/sprite.json"}},
    {"pack_base", {"pack", "folder", "--base", "in.spr", "-o", "link.spr"}},
    {"halve", {"halve", "in.spr", "-c", "0", "--all", "-o", "in.spr"}},
    {"resave_stays_allowed", {"resave", "in.spr", "-o", "in.spr"}, 0},
};

INSTANTIATE_TEST_SUITE_P(Commands, OutputOverInput, ::testing::ValuesIn(kOwnInputs),
                         [](const auto& info) { return std::string(info.param.name); });

// A Ctrl+C that arrives while the first file is being written.
struct StopOnWrite : FileLayer {
    ssize_t write(int fd, const void* buffer, std::size_t size) override {
        request_stop();
        return FileLayer::write(fd, buffer, size);
    }
};

TEST(StoppedWrite, AnUnpackStoppedOrOutOfDiskLeavesNothingAndNamesItsFolder) {
    test::TempDir dir;
    const auto doc = document();
    ASSERT_TRUE(save_sprite(dir.file("in.spr"), *doc, header_of(*doc)).ok());
    StopOnWrite stop;
    test::FaultyFileLayer full;
    full.disk_full_after(100);
    const struct {
        FileLayer* layer;
        test::Args args;
        std::string says;
    } cases[] = {
        {&stop, {"unpack", dir.file("in.spr"), dir.file("un")}, "Cancelled."},
        {&stop, {"each", dir.file("in.spr"), "--", "unpack", "{}", dir.file("un")}, "Cancelled."},
        {&full, {"unpack", dir.file("in.spr"), dir.file("un")}, dir.file("un") + ": Disk full."},
    };
    for (const auto& c : cases) {
        test::CliResult r;
        {
            ScopedFileLayer use(*c.layer);
            r = test::run_cli(c.args);
        }
        clear_stop_request();
        EXPECT_EQ(r.last_error_line(), c.says) << test::joined(c.args);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.spr"}) << test::joined(c.args);
    }
}

}  // namespace
}  // namespace dabro
