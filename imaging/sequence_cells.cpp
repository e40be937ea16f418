// The cells of a sequence, shared by render-sequence, animate and the player's export.
#include "imaging/sequence_cells.h"

#include <algorithm>
#include <string>

namespace dabro {

namespace {

// 0xAARRGGBB as draw_rgba writes it to red in the lowest byte.
inline std::uint32_t rgba_from_argb(std::uint32_t v) {
    return (v & 0xFF00FF00u) | (v >> 16 & 0xFFu) | (v & 0xFFu) << 16;
}

}  // namespace

int sequence_directions(const SpriteDocument& document, int sequence) {
    if (!sequence_in_use(document, sequence)) return 0;
    const int c = document.sequences[static_cast<std::size_t>(sequence)].collectionIndex;
    if (!collection_in_use(document, c)) return 0;
    return std::max(document.collections[static_cast<std::size_t>(c)].directions, 0);
}

Status check_sequence_direction(const SpriteDocument& document, int sequence, int direction) {
    if (!sequence_in_use(document, sequence))
        return Status::failure(
            "There is no sequence " + std::to_string(sequence) + ": the sprite has " +
            counted(std::clamp(document.sequenceCount, 0, kMaxSequences), "sequence"));
    const int c = document.sequences[static_cast<std::size_t>(sequence)].collectionIndex;
    if (!collection_in_use(document, c))
        return Status::failure("Sequence " + std::to_string(sequence) + " shows collection " +
                               std::to_string(c) + ", which the sprite does not have");
    if (Status s = check_readable_collection(document, c); !s.ok()) return s;
    const ImageCollection& collection = document.collections[static_cast<std::size_t>(c)];
    if (collection.directions <= 0)
        return Status::failure("Collection " + std::to_string(c) + " has no directions");
    if (direction < 0 || direction >= collection.directions)
        return Status::failure("There is no direction " + std::to_string(direction) +
                               ": use 0 to " + std::to_string(collection.directions - 1));
    return Status::success();
}

Status check_scale(int scale) {
    if (scale < 1 || scale > kMaxZoom)
        return Status::failure("There is no scale " + std::to_string(scale) + ": use 1 to " +
                               std::to_string(kMaxZoom));
    return Status::success();
}

Status plan_sequence_cells(const SpriteDocument& document, int sequence, int direction, int scale,
                           SequenceCells& cells, Placement placement) {
    const int frames = sequence_length(document, sequence);
    if (frames == 0)
        return Status::failure("Sequence " + std::to_string(sequence) + " has no frames");
    SequenceCells plan;
    plan.sequence = sequence;
    plan.direction = direction;
    if (Status s = check_scale(scale); !s.ok()) return s;
    plan.scale = scale;
    for (int q = 0; q < frames; ++q)
        plan.frames.push_back(sequence_frame_image(document, sequence, q, direction));
    std::int64_t width = 0;
    std::int64_t height = 0;
    if (placement == Placement::Box) {
        PlacedCells placed = placed_cells(document, plan.frames, plan.scale);
        width = placed.width;
        height = placed.height;
        plan.origin = placed.origin;
        plan.offsets = std::move(placed.offsets);
    } else {
        const Extent box = content_box(document, plan.frames);
        width = std::int64_t{box.width} * plan.scale;
        height = std::int64_t{box.height} * plan.scale;
    }
    if (width == 0 || height == 0)
        return Status::failure("Sequence " + std::to_string(sequence) + " has no pixels to draw");
    // Each side alone is checked first, so the product of a hostile box's sides cannot overflow.
    if (width > kMaxSequenceCellPixels || height > kMaxSequenceCellPixels ||
        width * height * frames > kMaxSequenceCellPixels)
        return Status::failure("The sheet is too large to draw: " + std::to_string(frames) +
                               " cells of " + std::to_string(width) + " x " +
                               std::to_string(height));
    plan.width = static_cast<std::int32_t>(width);
    plan.height = static_cast<std::int32_t>(height);
    cells = std::move(plan);
    return Status::success();
}

void draw_sequence_cell(const SpriteDocument& document, const SequenceCells& cells, int frame,
                        int palette, std::uint32_t* pixels, std::ptrdiff_t stride) {
    if (frame < 0 || static_cast<std::size_t>(frame) >= cells.frames.size()) return;
    const FrameImage& image = cells.frames[static_cast<std::size_t>(frame)];
    if (!image.found()) return;
    const ImageCollection& c = document.collections[static_cast<std::size_t>(image.collection)];
    const auto p = static_cast<std::size_t>(std::clamp(palette, 0, kPalettesPerCollection - 1));
    const auto q = static_cast<std::size_t>(frame);
    const CellPoint at = q < cells.offsets.size() ? cells.offsets[q] : CellPoint{};
    draw_rgba(c.images[static_cast<std::size_t>(image.slot)], c.palettes[p], cells.scale,
              pixels + at.y * stride + at.x, static_cast<std::int32_t>(cells.width - at.x),
              static_cast<std::int32_t>(cells.height - at.y), stride);
    for (std::int32_t y = 0; y < cells.height; ++y) {
        std::uint32_t* row = pixels + y * stride;
        for (std::int32_t x = 0; x < cells.width; ++x) row[x] = rgba_from_argb(row[x]);
    }
}

}  // namespace dabro
