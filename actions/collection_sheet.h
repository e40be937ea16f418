// The collection sheet commands: export a collection as a sheet, import one back.
#pragma once

#include <string>

#include "commands/command.h"
#include "document/sprite_document.h"
#include "document/status.h"
#include "imaging/pixel_image.h"
#include "interchange/progress.h"

namespace dabro {

// Whether the sheet commands can run on the collection now: it is in use and its images were
// read. Both commands check it first; the window enables its sheet items by it.
Status sheet_ready(const SpriteDocument& document, int collection);

// Export sheet: every image of the collection as one PNG and the JSON beside it.
Status export_collection_sheet(const SpriteDocument& document, int collection,
                               const std::string& pngPath, const Progress& progress = {});

// Import sheet: the collection's images, sizes, boxes, flags, names and palettes from a sheet
// and its JSON, as one step, once the sheet was found to fit the sprite. A cancelled reading
// is a cancelled status.
Status import_sheet_step(const SpriteDocument& document, int collection, const std::string& pngPath,
                         Encoding encoding, CommandPtr& step, const Progress& progress = {},
                         const std::string& stepName = "Import collection sheet");

}  // namespace dabro
