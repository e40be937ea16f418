// The verbs for a whole game: `each` over a tree of sprites, and `lint`.
#include <unistd.h>

#include <iostream>

#include "cli/each_verb.h"
#include "cli/lint_verb.h"
#include "cli/run_cli.h"
#include "cli/verb.h"

namespace dabro::cli {

namespace {

Outcome run_each_verb(const Arguments& a, std::ostream& out, std::ostream& err) {
    EachEnvironment env;
    env.run = run_cli;
    env.runsOneFile = [](const std::string& verb) {
        const Verb* v = find_verb(verb);
        return v != nullptr && v->overOneItem;
    };
    env.progressByDefault = &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
    return run_each(a, out, err, env);
}

const Verb kVerbs[] = {
    {"each",
     "[-j N] [--fail-fast] [--report R.json] [--unpacked] [--progress|--no-progress] INPUT... -- "
     "COMMAND ARGS...",
     "Runs COMMAND once per .spr file found under the INPUTs (with --unpacked, per unpacked "
     "folder), on N threads; {} {rel} {stem} in ARGS name the item",
     run_each_verb,
     {.options = {number("-j", "N"),
                  {"--report", "FILE", Kind::File, Role::OutputFile},
                  flag("--fail-fast"),
                  flag("--unpacked"),
                  flag("--progress"),
                  flag("--no-progress")},
      .rules = {at_most_one("--progress", "--no-progress")},
      .operands = {1, "No input given", true},
      .restAfterDashes = true},
     1,
     false},
    {"lint",
     "FILE|FOLDER... [--json] [--disable RULE,...]",
     "Reports broken references and lossy content of each sprite, a FOLDER's searched as each "
     "searches it, a line per finding; exits 0 clean, 1 with findings, 2 when a file or folder "
     "cannot be read",
     run_lint,
     {.options = {text("--disable", "RULES"), flag("--json")},
      .operands = {1, "No sprite file given", true}},
     2},
};

}  // namespace

std::span<const Verb> game_verbs() {
    return kVerbs;
}

}  // namespace dabro::cli
