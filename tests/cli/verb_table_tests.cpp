#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/each_items.h"
#include "cli/verb.h"
#include "cli_runner.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

// The options a usage line names, read as the bash completion reads them.
std::set<std::string> options_in_usage(std::string_view usage) {
    static const std::regex option("(^|[ [(|])(--?[A-Za-z][A-Za-z0-9-]*)");
    std::set<std::string> found;
    const std::string text(usage);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
         it != std::sregex_iterator(); ++it)
        found.insert((*it)[2]);
    return found;
}

TEST(VerbTable, UsageLinesAreBuiltFromTheRecords) {
    const std::pair<std::string_view, std::string_view> lines[] = {
        {"place",
         "FILE (-c C [-f F|all] | -s S|all) [-d D|all] (--by DX,DY | --set X,Y | --anchor POINT "
         "--at X,Y [--together] | --fit-box | --copy-from F[:D] [--x-only|--y-only]) [--dry-run] "
         "[-o OUT]"},
        {"halve", "FILE -c C (-f F -d D | --all) -o OUT"},
        {"each",
         "[-j N] [--fail-fast] [--report R.json] [--unpacked] [--progress|--no-progress] INPUT... "
         "-- COMMAND ARGS..."},
        {"diff", "A.spr B.spr [--json]"},
        {"unpack", "FILE DIR"},
    };
    for (const auto& [name, line] : lines) {
        ASSERT_NE(cli::find_verb(name), nullptr) << name;
        EXPECT_EQ(cli::usage_line(*cli::find_verb(name)), line);
    }
}

// Each verb file registers its own table; --help lists them by rank, every one present.
TEST(VerbTable, HelpListsEveryRegisteredVerbInItsGroupsOrder) {
    std::istringstream help(test::run_cli({"--help"}).out);
    std::vector<std::string> listed;
    for (std::string line; std::getline(help, line);)
        if (line.size() > 2 && line.starts_with("  ") && std::islower(line[2]))
            listed.push_back(line.substr(2, line.find(' ', 2) - 2));
    const std::vector<std::string> verbs = {
        "dump",       "resave",       "render",          "import-raw",
        "halve",      "align",        "palette-export",  "palette-import",
        "place",      "diff",         "render-sequence", "export-png",
        "import-png", "export-sheet", "import-sheet",    "unpack",
        "pack",       "watch",        "recompress",      "animate",
        "each",       "lint"};
    EXPECT_EQ(listed, verbs);
}

// Every option is in the verb's usage line, where the completion reads it, and has a help line.
TEST(VerbTable, HelpNamesEveryOptionOfEveryVerb) {
    std::set<std::string_view> names;
    const std::string commands = test::run_cli({"--help"}).out;
    for (const cli::VerbGroup& group : cli::verb_groups()) {
        for (const cli::Verb& verb : group.verbs) {
            SCOPED_TRACE(std::string(verb.name));
            EXPECT_TRUE(names.insert(verb.name).second) << "declared twice";
            const auto help = test::run_cli({std::string(verb.name), "--help"});
            EXPECT_EQ(help.code, 0);
            std::set<std::string> taken;
            for (const cli::Option& o : verb.takes.options) {
                EXPECT_TRUE(taken.insert(std::string(o.name)).second) << o.name;
                EXPECT_TRUE(!o.required || o.kind != cli::Kind::Flag) << o.name;
                EXPECT_FALSE(o.help.empty()) << o.name;
                EXPECT_NE(help.out.find("\n  " + std::string(o.name)), std::string::npos);
            }
            EXPECT_EQ(options_in_usage(help.out.substr(0, help.out.find('\n'))), taken);
            EXPECT_NE(commands.find("\n  " + std::string(verb.name) + " "), std::string::npos);
        }
    }
}

// The arguments that meet every rule of the verb: its operands, its required options, the first
// choice of each exactly-one group and each option required unless another.
std::vector<std::string> meeting_every_rule(const cli::Verb& verb) {
    std::vector<std::string> args(verb.takes.operands.count, "in.spr");
    const auto give = [&](std::string_view name) {
        if (std::find(args.begin(), args.end(), name) != args.end()) return;
        args.emplace_back(name);
        if (const cli::Option* o = cli::find_option(verb, name); o && o->kind != cli::Kind::Flag)
            args.emplace_back("0");
    };
    for (const cli::Option& o : verb.takes.options)
        if (o.required) give(o.name);
    for (const cli::Rule& r : verb.takes.rules) {
        if (r.kind == cli::Rule::ExactlyOne)
            for (std::string_view option : r.group[0].options)
                if (!option.empty()) give(option);
        if (r.kind == cli::Rule::RequiredUnless) give(r.group[0].options[0]);
    }
    return args;
}

// Every rule a verb declares names options the verb takes, can be met, and refuses its breach
// naming the options: a typo in a record or a rule the parser skips fails here.
TEST(VerbTable, EveryDeclaredRuleCanBeMetAndRefusesItsBreach) {
    const auto refuses = [](const cli::Verb& verb, std::vector<std::string> args,
                            std::string_view names) {
        cli::Arguments parsed;
        const Status s = cli::parse_arguments(verb, args, parsed);
        EXPECT_FALSE(s.ok()) << verb.name << " " << names;
        EXPECT_NE(s.message().find(names), std::string::npos) << s.message();
    };
    for (const cli::VerbGroup& group : cli::verb_groups())
        for (const cli::Verb& verb : group.verbs) {
            if (verb.takes.rules.size() == 0 || !verb.takes.rest.empty()) continue;
            const std::vector<std::string> base = meeting_every_rule(verb);
            cli::Arguments parsed;
            ASSERT_TRUE(cli::parse_arguments(verb, base, parsed).ok()) << verb.name;
            for (const cli::Rule& r : verb.takes.rules) {
                const std::string first(r.group[0].options[0]);
                if ((r.kind == cli::Rule::GoesWith || r.kind == cli::Rule::Needs) &&
                    !parsed.given(std::string(r.other)) && !parsed.given(first)) {
                    std::vector<std::string> alone = base;
                    alone.push_back(first);
                    const cli::Option* o = cli::find_option(verb, first);
                    ASSERT_NE(o, nullptr) << verb.name << " " << first;
                    if (o->kind != cli::Kind::Flag) alone.emplace_back("0");
                    refuses(verb, alone, first);
                }
                if (r.kind == cli::Rule::ExactlyOne && !r.group[1].options[0].empty()) {
                    const std::string second(r.group[1].options[0]);
                    std::vector<std::string> two = base;
                    two.push_back(second);
                    if (cli::find_option(verb, second)->kind != cli::Kind::Flag)
                        two.emplace_back("0");
                    refuses(verb, two, second);
                }
            }
        }
}

// `each` and the outputs-over-inputs check leave out an output the verb's flags turn off.
TEST(VerbTable, AFlagThatTurnsAnOutputOffTakesItFromTheOutputs) {
    const test::Args place = {"place", "in.spr", "-c", "0", "--fit-box", "-o", "out.spr"};
    using test::operator+;
    EXPECT_EQ(cli::run_outputs(place), std::vector<std::string>{"out.spr"});
    EXPECT_TRUE(cli::run_outputs(place + test::Args{"--dry-run"}).empty());
}

// Runs share nothing: the same verbs on several threads at once print what they print alone.
TEST(VerbTable, ConcurrentRunsPrintWhatTheyPrintAlone) {
    test::TempDir dir;
    const std::string sample = std::string(DABRO_SOURCE_DIR) + "/samples/sample.spr";
    const std::string fixture = test::test_data("fixtures/several.spr");
    const std::vector<test::Args> runs = {
        {"dump", sample},
        {"dump", "--text", fixture},
        {"diff", "--json", sample, fixture},
        {"render-sequence", sample, "-s", "0", "-p", "9", "-o", dir.file("x.png")},
        {"halve", sample, "-c", "0", "-o", dir.file("x.spr")},
    };
    std::vector<test::CliResult> alone;
    for (const test::Args& args : runs) alone.push_back(test::run_cli(args));
    std::vector<std::future<bool>> workers;
    for (int t = 0; t < 4; ++t) {
        workers.push_back(std::async(std::launch::async, [&, t] {
            bool same = true;
            for (int round = 0; round < 2; ++round) {
                for (std::size_t i = 0; i < runs.size(); ++i) {
                    const auto r =
                        test::run_cli(runs[(i + static_cast<std::size_t>(t)) % runs.size()]);
                    const auto& want = alone[(i + static_cast<std::size_t>(t)) % runs.size()];
                    same = same && r.code == want.code && r.out == want.out && r.err == want.err;
                }
            }
            return same;
        }));
    }
    for (auto& w : workers) EXPECT_TRUE(w.get());
    EXPECT_TRUE(dir.entries().empty());
}

}  // namespace
}  // namespace dabro
