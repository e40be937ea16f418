// `dabro-cli each`: one verb over a whole tree of sprites, in this process, on worker threads.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

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

// `args` are each's own: options, inputs, `--`, the verb and its arguments. Returns 0 when
// every run exited 0, else 1.
int run_each(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const EachEnvironment& env);

}  // namespace dabro::cli
