// The image commands as steps: import raw, import by name, halve and align.
#pragma once

#include <string>

#include "commands/document_commands.h"
#include "document/status.h"
#include "imaging/align.h"

namespace dabro {

// Each reads what it needs and builds the step, or fails with the tool's message; the
// document changes only when the step runs. The window and the batch tool both build their
// image commands here.

// Import: new pixels from a raw file; the size stays.
Status import_raw_step(const SpriteDocument& document, ImageRef ref, const std::string& path,
                       CommandPtr& step);
// Import by name: pixels, size and palette 0 from the file and its name, as one step.
Status import_by_name_step(const SpriteDocument& document, ImageRef ref, const std::string& path,
                           CommandPtr& step);
Status halve_step(const SpriteDocument& document, ImageRef ref, CommandPtr& step);
// The image's box centred in a gui item frame.
CommandPtr align_step(const SpriteDocument& document, ImageRef ref, FrameSize frame);

}  // namespace dabro
