// `dabro-cli each`: one verb over a whole tree of sprites, in this process, on worker threads.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/verb.h"

namespace dabro::cli {

// Runs one verb: its name first, then its arguments; prints to the two streams and returns
// the exit code. It must be safe to call from several threads at once.
using VerbRunner =
    std::function<int(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)>;

struct EachEnvironment {
    VerbRunner run;
    std::function<bool(const std::string& verb)> runsOneFile;  // may `each` run this verb
    bool progressByDefault = false;                            // standard error is a terminal
};

// `a` holds each's options, its inputs as operands and the verb to run after `--`. Exits 0
// when every run exited 0, else 1.
Outcome run_each(const Arguments& a, std::ostream& out, std::ostream& err,
                 const EachEnvironment& env);

}  // namespace dabro::cli
