// The batch tool's entry point, callable from several threads at once with streams of their own.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace dabro::cli {

// Runs the tool with argv-style arguments (without the program name) and returns the exit
// code. What it prints goes to `out`; a failure's text is the last line of `err`.
int run_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace dabro::cli
