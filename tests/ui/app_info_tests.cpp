#include <gtest/gtest.h>

#include <QRegularExpression>

#include "ui/app_info.h"

namespace dabro {
namespace {

using Action = CommandLine::Action;

struct Case {
    const char* name;
    QStringList arguments;  // after the program's name
    Action action;
    QStringList files;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class CommandLines : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLines, AskForWhatTheyName) {
    const Case c = GetParam();
    const CommandLine line = read_command_line(QStringList{"dabro"} + c.arguments);
    EXPECT_EQ(line.action, c.action) << line.text.toStdString();
    EXPECT_EQ(line.files, c.files);
    QString start;  // what the text begins with
    if (c.action == Action::ShowHelp) start = "Usage: dabro [OPTIONS] [FILE]\n";
    if (c.action == Action::ShowVersion) start = "dabro " + application_version() + "\n";
    if (c.action == Action::Fail) start = "dabro: Unknown option";
    EXPECT_EQ(line.text.isEmpty(), c.action == Action::Run);
    EXPECT_TRUE(start.isEmpty() || line.text.startsWith(start)) << line.text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Editor, CommandLines,
    ::testing::Values(
        Case{"Nothing", {}, Action::Run, {}}, Case{"OneFile", {"a.spr"}, Action::Run, {"a.spr"}},
        Case{"TwoFiles", {"a.spr", "b c.spr"}, Action::Run, {"a.spr", "b c.spr"}},
        Case{"DashFileAfterDashes", {"--", "-d.spr"}, Action::Run, {"-d.spr"}},
        Case{"Help", {"--help"}, Action::ShowHelp, {}},
        Case{"ShortHelp", {"-h"}, Action::ShowHelp, {}},
        Case{"Version", {"--version"}, Action::ShowVersion, {}},
        Case{"ShortVersion", {"-v"}, Action::ShowVersion, {}},
        Case{"HelpWinsOverVersion", {"-v", "-h"}, Action::ShowHelp, {}},
        // Qt's word options are no bundles of letters (r-e-v-e-r-s-e).
        Case{"QtWordOptionIsNotVersion", {"-reverse"}, Action::Fail, {}},
        Case{"QtWordOptionIsNotHelp", {"-platformtheme", "x"}, Action::Fail, {}},
        // Help and version are answered even beside options only Qt knows.
        Case{"VersionBesideQtOption", {"-style", "x", "--version"}, Action::ShowVersion, {}},
        Case{"HelpBesideUnknown", {"--bogus", "-h"}, Action::ShowHelp, {}},
        Case{"Unknown", {"--bogus"}, Action::Fail, {}},
        Case{"UnknownAfterFile", {"a.spr", "-x"}, Action::Fail, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, EveryOptionTheHelpNamesIsAccepted) {
    const QString help = read_command_line({"dabro", "--help"}).text;
    const QRegularExpression option(QStringLiteral("^  (-\\w), (--[\\w-]+)"),
                                    QRegularExpression::MultilineOption);
    int seen = 0;
    for (auto it = option.globalMatch(help); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        for (const QString& name : {m.captured(1), m.captured(2)})
            EXPECT_NE(read_command_line({"dabro", name}).action, Action::Fail)
                << name.toStdString();
        ++seen;
    }
    EXPECT_EQ(seen, 2);
}

TEST(About, NamesTheVersionFirst) {
    EXPECT_TRUE(
        QRegularExpression("^\\d+\\.\\d+(\\.\\d+)?$").match(application_version()).hasMatch())
        << application_version().toStdString();
    EXPECT_TRUE(about_text().startsWith("Dabro " + application_version() + "\n"));
}

}  // namespace
}  // namespace dabro
