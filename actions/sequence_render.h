// The render-sequence command: a sequence's frames drawn in a row, with their list beside it.
#pragma once

#include <string>

#include "document/sprite_document.h"
#include "document/status.h"
#include "imaging/placement.h"

namespace dabro {

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
