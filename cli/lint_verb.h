// `dabro-cli lint`: what is broken or lossy in each sprite, as text lines or JSON.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace dabro::cli {

// `args` are the verb's own (files and options). Exits 0 with no findings, 1 with findings,
// 2 when a file cannot be read or the arguments are wrong.
int run_lint(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace dabro::cli
