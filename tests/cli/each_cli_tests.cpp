// `each` over a generated tree of sprites, and `lint` from the command line.
#include <gtest/gtest.h>

#include <malloc.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "cli/each_verb.h"
#include "cli_runner.h"
#include "document/file_layer.h"
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
    const std::string c = game() + "/b/c.spr";
    const auto sprite = test::read_bytes(c);
    const std::vector<std::pair<Args, std::string>> cases = {
        {{"each", game(), "--", "resave", "{}", "-o", dir.file("one.spr")},
         "would be written twice: by resave of " + game() + "/a.spr and by resave of " + c},
        {{"each", "--report", game() + "/b/./c.spr", game(), "--", "lint", "{}"},
         "is the same file as the input " + c},
        {{"each", "--report", dir.file("e.spr"), game(), "--", "resave", "{}", "-o",
          dir.file("{stem}.spr")},
         "by resave of " + game() + "/b/d/e.spr and by the report"},
        {{"each", "--report", dir.file("nope/r.json"), game(), "--", "lint", "{}"},
         dir.file("nope/") + ": Folder not found."},
        {{"each", "--report", dir.file("empty"), game(), "--", "lint", "{}"}, "is a folder"},
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
        EXPECT_EQ(test::read_bytes(c), sprite);
    }
}

TEST_F(EachTree, NestedOutputsAreRefusedAndNestedSpriteFoldersFound) {
    fs::copy_file(game() + "/a.spr", game() + "/b.spr");  // beside the folder b/
    const auto nested = run_cli({"each", game(), "--", "unpack", "{}", dir.file("w/{rel}")});
    EXPECT_EQ(nested.code, 1);
    for (const std::string& says :
         {"/w/b/c, written by unpack of " + game() + "/b/c.spr, lies inside",
          "/w/b, written by unpack of " + game() + "/b.spr."})
        EXPECT_NE(nested.last_error_line().find(says), std::string::npos) << nested.err;
    EXPECT_FALSE(fs::exists(dir.file("w")));

    fs::create_directory(dir.file("u"));
    for (const char* rel : {"b", "b/c"}) {
        const auto r = run_cli({"unpack", game() + "/" + rel + ".spr", dir.file("u/") + rel});
        EXPECT_EQ(r.out, "Sprite unpacked into " + dir.file("u/") + rel + "\n");
    }
    const auto pack = run_cli(
        {"each", "--unpacked", dir.file("u"), "--", "pack", "{}", "-o", dir.file("p/{rel}.spr")});
    ASSERT_EQ(pack.code, 0) << pack.err;
    EXPECT_TRUE(fs::exists(dir.file("p/b.spr")) && fs::exists(dir.file("p/b/c.spr")));
}

// Refuses to list one folder, as the system does a folder that may not be read.
struct DeniedFolder : FileLayer {
    std::string denied;
    int list_folder(const std::string& path, std::vector<std::string>& names) override {
        return path == denied ? -EACCES : FileLayer::list_folder(path, names);
    }
};

TEST_F(EachTree, AFolderThatCannotBeReadIsNamedAndFailsTheRun) {
    DeniedFolder layer;
    const ScopedFileLayer use(layer);
    layer.denied = game() + "/b/d";
    const auto each = run_cli({"each", game(), "--", "dump", "--text", "{}"});
    EXPECT_EQ(each.code, 1);
    EXPECT_EQ(each.err, layer.denied + "/: Access denied.\n");
    EXPECT_EQ(each.out, run_cli({"each", game() + "/a.spr", game() + "/b/c.spr", "--", "dump",
                                 "--text", "{}"})
                            .out);
    const auto lint = run_cli({"lint", "--json", game()});
    EXPECT_EQ(lint.code, 2);
    EXPECT_EQ(lint.err, each.err);
    EXPECT_EQ(nlohmann::json::parse(lint.out).size(), 2u);  // one array for the tree
    layer.denied = game();
    for (const Args& args : {Args{"each", game(), "--", "dump", "{}"}, Args{"lint", game()}})
        EXPECT_EQ(run_cli(args).last_error_line(), game() + "/: Access denied.");
}

TEST_F(EachTree, LinkedFoldersAreFollowedAndEachRealFolderSearchedOnce) {
    fs::create_directories(dir.file("assets/x"));
    fs::copy_file(game() + "/a.spr", dir.file("assets/x/s.spr"));
    fs::create_directory_symlink(dir.file("assets"), game() + "/shared");
    fs::create_directory_symlink(game(), game() + "/b/loop");
    const auto r = run_cli({"each", "--report", dir.file("r.json"), game(), "--", "lint", "{}"});
    EXPECT_EQ(r.code, 1);  // the sample has findings
    std::vector<std::string> inputs;
    const auto report = nlohmann::json::parse(std::ifstream(dir.file("r.json")));
    for (const auto& run : report["runs"]) {
        inputs.push_back(run["input"]);
        // lint prints its findings on standard output: the last of them says why.
        EXPECT_EQ(run["message"].get<std::string>().rfind(inputs.back() + ": ", 0), 0u);
    }
    EXPECT_EQ(inputs,
              (std::vector<std::string>{game() + "/a.spr", game() + "/b/c.spr",
                                        game() + "/b/d/e.spr", game() + "/shared/x/s.spr"}));
}

TEST_F(EachTree, FoldersAreMadeForTheNamesTheVerbWritesInTheEnd) {
    const auto r = run_cli({"each", game() + "/a.spr", "--", "animate", "{}", "-s", "all", "-o",
                            dir.file("out/{name}/{stem}.gif")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(fs::exists(dir.file("out/coin_spin/a.gif")));
    EXPECT_FALSE(fs::exists(dir.file("out/{name}")));
}

TEST_F(EachTree, ANameThatIsNotUtf8KeepsTheJsonValidAndTheTextAsItIs) {
    const std::string odd = game() + "/caf\xE9.spr";  // Latin-1
    const std::string shown = game() + "/caf\xEF\xBF\xBD.spr";
    fs::copy_file(game() + "/a.spr", odd);
    EXPECT_EQ(nlohmann::json::parse(run_cli({"lint", "--json", odd}).out)[0]["file"], shown);
    EXPECT_EQ(run_cli({"lint", odd}).out.rfind(odd + ": ", 0), 0u);
    ASSERT_EQ(run_cli({"each", "--report", dir.file("r.json"), game(), "--", "lint", "{}"}).code,
              1);
    const auto report = nlohmann::json::parse(std::ifstream(dir.file("r.json")));
    EXPECT_EQ(report["runs"][3]["input"], shown);
    EXPECT_EQ(report["runs"][3]["message"].get<std::string>().rfind(shown + ": ", 0), 0u);
}

// Over many runs, memory holds only the runs not yet printed.
TEST(EachMemory, ARunsOutputIsLetGoOncePrinted) {
    test::TempDir dir;
    for (int i = 0; i < 64; ++i) test::write_bytes(dir.file(std::to_string(i) + ".spr"), {});
    std::size_t peak = 0;
    cli::EachEnvironment env;
    env.run = [&](const std::vector<std::string>&, std::ostream& out, std::ostream&) {
        peak = std::max(peak, ::mallinfo2().uordblks);
        out << std::string(1 << 20, 'x') << "\nlast line\n";
        return 0;
    };
    env.runsOneFile = [](const std::string&) { return true; };
    cli::Arguments a;
    a.operands = {dir.path()};
    a.values = {{"-j", "1"}};
    a.rest = {"dump", "{}"};
    std::ostream nowhere(nullptr);
    const std::size_t before = ::mallinfo2().uordblks;
    ASSERT_EQ(cli::run_each(a, nowhere, nowhere, env).code, 0);
    EXPECT_LT(peak - std::min(peak, before), std::size_t{16} << 20);
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
