#include "cli/commands.h"

namespace dabro::cli {

std::span<const Command> imaging_commands() { return {}; }

}  // namespace dabro::cli
