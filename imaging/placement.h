// Where frames sit: the drawing area their boxes span, its cells, and an image's visible pixels.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "document/sprite_document.h"
#include "document/status.h"
#include "imaging/frame_lookup.h"

namespace dabro {

// How a sequence's frames are laid in their cells: each at the place its box gives it, or
// each at the cell's top-left corner, the cells the largest image's size.
enum class Placement : std::uint8_t { Corner, Box };

// "box" or "corner", as --place takes it.
Status placement_named(std::string_view text, Placement& placement);

// A rectangle [left, right) x [top, bottom) in 64 bits, so no box overflows it.
struct Area {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = 0;
    std::int64_t bottom = 0;
    bool empty() const { return left >= right || top >= bottom; }
    std::int64_t width() const { return empty() ? 0 : right - left; }
    std::int64_t height() const { return empty() ? 0 : bottom - top; }
    // The smallest rectangle holding both; an empty one adds nothing.
    Area joined(const Area& other) const;
    bool operator==(const Area&) const = default;
};

// Where a box places its image in the frame: [left, left + width) x [top, top + height).
// Empty for an image 0 pixels wide or high.
Area placed_area(const BoundingBox& box, const CollectionImage& image);

// The union of the placed rectangles of the frames found; frames without an image add nothing.
Area drawing_area(const SpriteDocument& document, std::span<const FrameImage> frames);

// The cells of a sequence placed by box: U's size times the scale, each frame's image at
// ((left - U.left) x scale, (top - U.top) x scale), and where the frame point (0, 0) lies in
// every cell. Frames without an image have the offset (0, 0).
struct CellPoint {
    std::int64_t x = 0;
    std::int64_t y = 0;
    bool operator==(const CellPoint&) const = default;
};
struct PlacedCells {
    Area area;  // U
    std::int64_t width = 0;
    std::int64_t height = 0;
    CellPoint origin;
    std::vector<CellPoint> offsets;  // one per frame
};
PlacedCells placed_cells(const SpriteDocument& document, std::span<const FrameImage> frames,
                         int scale);

// The smallest rectangle, in the image's own pixels, holding every pixel drawn within its
// width and height (alpha above 0), found by one walk over its data a command at a time;
// empty when none is.
Area visible_area(const CollectionImage& image);

}  // namespace dabro
