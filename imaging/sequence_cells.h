// A sequence's cells as every export draws them: one per frame, the size of its largest frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/sprite_document.h"
#include "document/status.h"
#include "imaging/placement.h"
#include "imaging/player_render.h"

namespace dabro {

// Frame q of a sequence in one direction, each in a cell of width x height pixels. Placed by
// corner, the cell is the largest frame's drawn size times the scale and each image sits at
// its top-left; placed by box, the cell is the frames' drawing area times the scale and each
// image sits at offsets[q], with the frame point (0, 0) at `origin`.
struct SequenceCells {
    int sequence = 0;
    int direction = 0;
    int scale = 1;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<FrameImage> frames;
    CellPoint origin;
    std::vector<CellPoint> offsets;  // empty when placed by corner

    std::size_t cell_pixels() const { return std::size_t(width) * std::size_t(height); }
};

// Checks that `sequence` can be drawn in `direction`: the sequence exists, its collection
// exists and was read, and the direction is one of the collection's.
Status check_sequence_direction(const SpriteDocument& document, int sequence, int direction);

// The directions of the sequence's collection (0 when the sequence or collection is missing).
int sequence_directions(const SpriteDocument& document, int sequence);

// Refuses a scale outside 1 to kMaxZoom: "There is no scale 17: use 1 to 16".
Status check_scale(int scale);

// Finds every frame's image, the cell size and each image's place in its cell. Fails for a
// sequence without frames, without a pixel to draw, or whose cells together pass
// kMaxSequenceCellPixels.
Status plan_sequence_cells(const SpriteDocument& document, int sequence, int direction, int scale,
                           SequenceCells& cells, Placement placement = Placement::Corner);

// Draws frame `frame` with palette `palette` as 8-bit RGBA (red in the lowest byte, see
// rgba_of) into a cell of cells.width x cells.height pixels, rows `stride` pixels apart,
// which the caller has cleared to 0, the image at its place. A frame without an image leaves
// the cell empty.
void draw_sequence_cell(const SpriteDocument& document, const SequenceCells& cells, int frame,
                        int palette, std::uint32_t* pixels, std::ptrdiff_t stride);

}  // namespace dabro
