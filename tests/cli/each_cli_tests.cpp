// `each` over a generated tree of sprites, and `lint` from the command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "cli_runner.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

namespace fs = std::filesystem;
using test::Args;
using test::run_cli;

// game/ holds sprites in nested folders: a.spr, b/c.spr, b/d/e.spr, and a text file.
class EachTree : public testing::Test {
  protected:
    void SetUp() override {
        const std::string sample = std::string(DABRO_SOURCE_DIR) + "/samples/sample.spr";
        for (const char* rel : {"game/a.spr", "game/b/c.spr", "game/b/d/e.spr"}) {
            fs::create_directories(fs::path(dir.file(rel)).parent_path());
            fs::copy_file(sample, dir.file(rel));
        }
        std::ofstream(dir.file("game/b/notes.txt")) << "not a sprite";
    }
    std::string game() const { return dir.file("game"); }
    test::TempDir dir;
};

TEST_F(EachTree, UnpackThenPackWithBaseGivesTheSameBytes) {
    const auto unpack = run_cli({"each", game(), "--", "unpack", "{}", dir.file("work/{rel}")});
    ASSERT_EQ(unpack.code, 0) << unpack.err;
    const auto pack = run_cli({"each", "--unpacked", dir.file("work"), "--", "pack", "{}", "--base",
                               game() + "/{rel}.spr", "-o", dir.file("out/{rel}.spr")});
    ASSERT_EQ(pack.code, 0) << pack.err;
    for (const char* rel : {"a.spr", "b/c.spr", "b/d/e.spr"})
        EXPECT_EQ(test::read_bytes(dir.file("out/") + rel), test::read_bytes(game() + "/" + rel))
            << rel;
}

TEST_F(EachTree, ExpandsPlaceholdersAndPrintsEachRunWholeInItemOrder) {
    fs::copy_file(game() + "/a.spr", game() + "/b/Up.SPR");  // any case of the extension
    for (const char* jobs : {"1", "2"}) {
        const auto r = run_cli({"each", "-j", jobs, game(), dir.file("game/a.spr"), "--", "dump",
                                "--text", "{}", "-o", "{rel}|{stem}"});
        // dump takes no -o: every run fails with its own message, printed in item order.
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(
            r.err,
            "Unknown option -o.\nUnknown option -o.\nUnknown option -o.\nUnknown option -o.\n")
            << jobs;
        EXPECT_EQ(r.out, "");
    }
    const auto r = run_cli({"each", "-j", "2", "--report", dir.file("r.json"), game(), "--",
                            "resave", "{}", "-o", dir.file("copy/{rel}-{stem}.spr")});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto texts = run_cli({"each", "-j", "2", game(), "--", "dump", "--text", "{}"});
    std::string one;
    for (const char* rel : {"a.spr", "b/Up.SPR", "b/c.spr", "b/d/e.spr"})
        one += run_cli({"dump", "--text", game() + "/" + rel}).out;
    EXPECT_EQ(texts.out, one);
    std::vector<std::string> made;
    for (const auto& e : fs::recursive_directory_iterator(dir.file("copy")))
        if (e.is_regular_file())
            made.push_back(fs::relative(e.path(), dir.file("copy")).generic_string());
    std::sort(made.begin(), made.end());
    EXPECT_EQ(made,
              (std::vector<std::string>{"a-a.spr", "b/Up-Up.spr", "b/c-c.spr", "b/d/e-e.spr"}));
    const auto report = nlohmann::json::parse(std::ifstream(dir.file("r.json")));
    EXPECT_EQ(report["jobs"], 2);
    EXPECT_EQ(report["succeeded"], 4);
    EXPECT_EQ(report["runs"][1]["input"], game() + "/b/Up.SPR");
}

TEST_F(EachTree, ABrokenFileFailsItsRunAndTheOthersGoOn) {
    test::write_bytes(dir.file("game/b/broken.spr"), {'<', 's', 'p'});
    const auto r = run_cli({"each", "--report", dir.file("r.json"), game(), "--", "resave", "{}",
                            "-o", dir.file("out/{rel}.spr")});
    EXPECT_EQ(r.code, 1);
    const auto report = nlohmann::json::parse(std::ifstream(dir.file("r.json")));
    EXPECT_EQ(report["succeeded"], 3);
    EXPECT_EQ(report["failed"], 1);
    ASSERT_EQ(report["runs"].size(), 4u);
    EXPECT_EQ(report["runs"][1]["input"], game() + "/b/broken.spr");
    EXPECT_NE(report["runs"][1]["exit"], 0);
    EXPECT_NE(report["runs"][1]["message"], "");
    EXPECT_FALSE(fs::exists(dir.file("out/b/broken.spr")));
    EXPECT_TRUE(fs::exists(dir.file("out/b/d/e.spr")));

    const auto fast = run_cli({"each", "-j", "1", "--fail-fast", "--report", dir.file("f.json"),
                               game(), "--", "resave", "{}", "-o", dir.file("fast/{rel}.spr")});
    EXPECT_EQ(fast.code, 1);
    const auto stopped = nlohmann::json::parse(std::ifstream(dir.file("f.json")));
    EXPECT_EQ(stopped["runs"].size(), 2u);  // a.spr, then the broken file; nothing after it
    EXPECT_FALSE(fs::exists(dir.file("fast/b/c.spr")));
}

TEST_F(EachTree, RefusesBeforeRunningAnything) {
    fs::create_directory(dir.file("empty"));
    const std::vector<std::pair<Args, std::string>> cases = {
        {{"each", game(), "--", "resave", "{}", "-o", dir.file("one.spr")},
         "would be written by two runs"},
        {{"each", dir.file("nothing"), "--", "dump", "{}"}, "File not found"},
        {{"each", dir.file("game/b/d/../d"), "--", "nosuch", "{}"},
         "nosuch is not a command each can run"},
        {{"each", game(), "--"}, "after --"},
        {{"each", dir.file("empty"), "--", "dump", "{}"}, "No .spr files found"},
        {{"each", game(), "--", "each", game(), "--", "dump", "{}"},
         "each is not a command each can run"},
        {{"each", game(), "--", "watch", "{}", "-o", "x.spr"},
         "watch is not a command each can run"},
    };
    for (const auto& [args, says] : cases) {
        const auto r = run_cli(args);
        EXPECT_EQ(r.code, 1) << test::joined(args);
        EXPECT_NE(r.last_error_line().find(says), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir.file("one.spr")));
    }
}

TEST_F(EachTree, AnItemReachedTwiceRunsOnce) {
    fs::create_directory_symlink(game() + "/b", dir.file("link"));
    const auto r = run_cli(
        {"each", game(), dir.file("link"), dir.file("game/a.spr"), "--", "dump", "--text", "{}"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto once = run_cli({"each", game(), "--", "dump", "--text", "{}"});
    EXPECT_EQ(r.out, once.out);
}

TEST(LintCli, ExitCodesAndForms) {
    const std::string sample = std::string(DABRO_SOURCE_DIR) + "/samples/sample.spr";
    const auto text = run_cli({"lint", sample, "--disable", "duplicate-images"});
    EXPECT_EQ(text.code, 0) << text.out;
    EXPECT_EQ(text.out, "");
    const auto found = run_cli({"lint", sample});
    EXPECT_EQ(found.code, 1);
    EXPECT_EQ(found.out.rfind(sample + ": collection 0, image ", 0), 0u) << found.out;
    const auto json = run_cli({"lint", "--json", sample, "nosuch.spr"});
    EXPECT_EQ(json.code, 2);
    EXPECT_NE(json.last_error_line().find("nosuch.spr"), std::string::npos);
    const auto parsed = nlohmann::json::parse(json.out);
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0]["findings"][0]["rule"], "duplicate-images");
    EXPECT_EQ(run_cli({"lint", sample, "--disable", "nonsense"}).code, 2);
}

}  // namespace
}  // namespace dabro
