// `dabro-cli lint`: what is broken or lossy in each sprite, as text lines or JSON.
#pragma once

#include <ostream>

#include "cli/verb.h"

namespace dabro::cli {

// Lints every sprite operand. Exits 0 with no findings, 1 with findings and 2 when a file
// cannot be read (its message on `err`; the other files are still linted).
Outcome run_lint(const Arguments& a, std::ostream& out, std::ostream& err);

}  // namespace dabro::cli
