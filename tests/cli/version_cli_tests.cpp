#include <gtest/gtest.h>

#include <regex>

#include "cli_runner.h"

namespace dabro {
namespace {

TEST(Version, IsPrintedAloneAndListedInTheHelp) {
    const test::CliResult r = test::run_cli({"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(std::regex_match(r.out, std::regex("dabro-cli \\d+\\.\\d+(\\.\\d+)?\n"))) << r.out;
    EXPECT_TRUE(r.err.empty());
    EXPECT_TRUE(test::run_cli({"--help"}).out.find("  --version\n      ") != std::string::npos);
}

}  // namespace
}  // namespace dabro
