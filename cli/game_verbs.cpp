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
     "Runs COMMAND once per .spr file found under the INPUTs (with --unpacked, per unpacked "
     "folder), on N threads; {} {rel} {stem} in ARGS name the item",
     run_each_verb,
     {.options = {number("-j", "N",
                         "run N commands at once, 1 to 256 (default: one per processor)"),
                  flag("--fail-fast", "start no new run after a failure"),
                  optional(output("--report", "R.json", "write a JSON report of every run")),
                  flag("--unpacked", "run over unpacked folders instead of .spr files"),
                  flag("--progress", "show the progress on standard error"),
                  flag("--no-progress", "show no progress")},
      .rules = {at_most_one("--progress", "--no-progress")},
      .operands = {.count = 1, .missing = "No input given", .orMore = true, .names = "INPUT..."},
      .rest = "COMMAND ARGS..."},
     1,
     false},
    {"lint",
     "Reports broken references and lossy content of each sprite, a FOLDER's searched as each "
     "searches it, a line per finding; exits 0 clean, 1 with findings, 2 when a file or folder "
     "cannot be read",
     run_lint,
     {.options = {flag("--json", "the findings as one JSON object"),
                  text("--disable", "RULE,...", "leave out these rules")},
      .operands = {.count = 1,
                   .missing = "No sprite file given",
                   .orMore = true,
                   .names = "FILE|FOLDER..."}},
     2},
};

const VerbRegistration registered(100, kVerbs);

}  // namespace

}  // namespace dabro::cli
