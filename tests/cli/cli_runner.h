// Runs the batch tool in the test's own process and keeps what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/run_cli.h"

namespace dabro::test {

using Args = std::vector<std::string>;

// What one run of the batch tool printed and returned.
struct CliResult {
    int code = 0;
    std::string out;
    std::string err;
    // What the tool says last on stderr: a failure's text.
    std::string last_error_line() const {
        std::istringstream lines(err);
        std::string line;
        std::string last;
        while (std::getline(lines, line))
            if (!line.empty()) last = line;
        return last;
    }
};

inline CliResult run_cli(const Args& args) {
    std::ostringstream out;
    std::ostringstream err;
    CliResult r;
    r.code = cli::run_cli(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

// The arguments as one line, for a failing case's trace.
inline std::string joined(const Args& args) {
    std::string line;
    for (const std::string& a : args) line += (line.empty() ? "" : " ") + a;
    return line;
}

inline Args operator+(Args a, const Args& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace dabro::test
