// The sheet commands: export and import a collection sheet, and render a sequence as a row.
#pragma once

#include <memory>
#include <string>

#include "commands/command.h"
#include "document/sprite_document.h"
#include "document/status.h"
#include "imaging/pixel_image.h"
#include "imaging/placement.h"
#include "interchange/progress.h"

namespace dabro {

// Export sheet: every image of the collection as one PNG and the JSON beside it.
Status export_collection_sheet(const SpriteDocument& document, int collection,
                               const std::string& pngPath, const Progress& progress = {});

// Import sheet: the collection's images, sizes, boxes, flags, names and palettes from a sheet
// and its JSON, as one step, once the sheet was found to fit the sprite. A cancelled reading
// is a cancelled status.
Status import_sheet_step(const SpriteDocument& document, int collection, const std::string& pngPath,
                         Encoding encoding, CommandPtr& step, const Progress& progress = {},
                         const std::string& stepName = "Import collection sheet");

// Render-sequence: every frame of a sequence in one direction, drawn with a palette of its
// collection and scaled, in one row of cells (see SequenceCells), as RGBA PNG, with the frame
// list (index, collection frame, frame value, cell) as JSON beside it; placed by box, the JSON
// also gives the cell point of the frame point (0, 0) as `origin`.
struct SequenceRender {
    int sequence = 0;
    int direction = 0;
    int palette = 0;
    int scale = 1;
    Placement placement = Placement::Corner;
};
Status render_sequence(const SpriteDocument& document, const SequenceRender& what,
                       const std::string& pngPath);

}  // namespace dabro
