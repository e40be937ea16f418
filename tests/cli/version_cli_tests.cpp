#include <gtest/gtest.h>

#include <QRegularExpression>

#include "cli_runner.h"

namespace dabro {
namespace {

TEST(Version, IsPrintedAloneAndListedInTheHelp) {
    const test::CliResult r = test::run_cli({"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(QRegularExpression("^dabro-cli \\d+\\.\\d+(\\.\\d+)?\n$").match(r.out).hasMatch())
        << r.out.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    EXPECT_TRUE(test::run_cli({"--help"}).out.contains("  --version\n      "));
}

}  // namespace
}  // namespace dabro
