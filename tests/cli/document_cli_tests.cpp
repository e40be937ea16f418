#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_runner.h"
#include "document/sprite_saver.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

test::CliResult run(const test::Args& args) {
    return test::run_cli(args);
}

using Json = nlohmann::json;

Json json_of(const std::string& path) {
    return Json::parse(test::read_bytes(path));
}

class Fixture : public ::testing::TestWithParam<const char*> {};

// The fixtures were written by an independent encoder, so they catch a misread layout that
// a round trip through our own code would hide.
TEST_P(Fixture, DumpPrintsTheExpectedDocument) {
    const std::string base = test::test_data(std::string("fixtures/") + GetParam());
    const test::CliResult r = run({"dump", base + ".spr"});
    ASSERT_EQ(r.code, 0) << r.err;
    const Json printed = Json::parse(r.out);
    ASSERT_TRUE(printed.is_object());
    const Json expected = json_of(base + ".json");
    ASSERT_TRUE(expected.is_object());
    for (const auto& [key, value] : expected.items()) {
        EXPECT_EQ(printed.value(key, Json()), value) << key;
    }
    EXPECT_EQ(printed, expected);
}

TEST_P(Fixture, ResaveWritesTheSameBytes) {
    const std::string source = test::test_data(std::string("fixtures/") + GetParam() + ".spr");
    test::TempDir dir;
    const std::string copy = dir.file("copy.spr");
    test::write_bytes(copy, test::read_bytes(source));
    const test::CliResult r = run({"resave", copy, "-o", copy});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(test::read_bytes(copy), test::read_bytes(source));
}

INSTANTIATE_TEST_SUITE_P(Files, Fixture,
                         ::testing::Values("header-only", "one-collection", "several"));

TEST(Dump, NamesAreLatin1AndOnlySlotsInUseAreListed) {
    auto doc =
        test::make_document({.sequences = 1, .framesPerSequence = 2, .collections = {{1, 2}}});
    doc->sequences[0].set_name("caf\xe9");
    doc->collections[0].set_name("\xc3\xa9");  // UTF-8 bytes, still read one by one
    doc->sequences[5].set_name("unused");
    test::TempDir dir;
    ASSERT_TRUE(save_sprite(dir.file("n.spr"), *doc, header_of(*doc)).ok());
    const test::CliResult r = run({"dump", dir.file("n.spr")});
    ASSERT_EQ(r.code, 0);
    const Json o = Json::parse(r.out);
    EXPECT_EQ(o["sequences"].size(), 1u);
    EXPECT_EQ(o["sequences"][0]["name"], "caf\xc3\xa9");
    EXPECT_EQ(o["collections"][0]["name"], "\xc3\x83\xc2\xa9");
    EXPECT_EQ(o["sequences"][0]["frames"].size(), 2u);
    EXPECT_EQ(o["collections"][0]["images"].size(), 2u);
    EXPECT_EQ(o["collections"][0]["sourceName"], "n.spr");
}

struct Failing {
    test::Args args;
    const char* lastLine;
};

void PrintTo(const Failing& f, std::ostream* os) {
    *os << test::joined(f.args);
}

class Failure : public ::testing::TestWithParam<Failing> {};

TEST_P(Failure, PrintsTheFailureNamingTheFileLastAndExits1) {
    test::TempDir dir;
    test::write_bytes(dir.file("not.spr"), std::vector<std::uint8_t>(20, 'x'));
    test::write_bytes(dir.file("cut.spr"), {'<', 's', 'p', 'r', 'i', 't', 'e', '>', 0, '4', 0, 1});
    test::Args args;
    for (std::string a : GetParam().args) {
        if (const auto at = a.find("DIR"); at != std::string::npos) a.replace(at, 3, dir.path());
        args.push_back(a);
    }
    const test::CliResult r = run(args);
    EXPECT_EQ(r.code, 1);
    std::string want = GetParam().lastLine;
    if (const auto at = want.find("DIR"); at != std::string::npos) want.replace(at, 3, dir.path());
    EXPECT_EQ(r.last_error_line(), want);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"cut.spr", "not.spr"}))
        << "nothing is written";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Failure,
    ::testing::Values(Failing{{"dump", "DIR/missing.spr"}, "DIR/missing.spr: File not found."},
                      Failing{{"dump", "DIR/not.spr"}, "This is not a .spr file."},
                      Failing{{"dump", "DIR/cut.spr"}, "DIR/cut.spr: Read beyond end of file."},
                      Failing{{"resave", "DIR/not.spr", "-o", "DIR/out.spr"},
                              "This is not a .spr file."},
                      Failing{{"resave", "DIR/cut.spr"}, "Option -o is required."},
                      Failing{{"resave", "DIR/cut.spr", "-o"}, "Option -o needs a value."},
                      Failing{{"dump"}, "No sprite file given."},
                      Failing{{"frobnicate"}, "Unknown command frobnicate; see dabro-cli --help."},
                      Failing{{}, "No command given."}));

TEST(Help, DescribesEveryCommand) {
    const test::CliResult r = run({"--help"});
    EXPECT_EQ(r.code, 0);
    for (const char* name : {"dump", "resave", "render", "import-raw", "halve", "align",
                             "palette-export", "palette-import"}) {
        EXPECT_NE(r.out.find(std::string("  ") + name + " "), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace dabro
