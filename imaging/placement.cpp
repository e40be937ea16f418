// Where frames sit: the drawing area, the cells placed by box, and an image's visible pixels.
#include "imaging/placement.h"

#include <algorithm>
#include <string>

#include "imaging/rle.h"

namespace dabro {

Status placement_named(std::string_view text, Placement& placement) {
    if (text != "box" && text != "corner")
        return Status::failure("There is no placement " + std::string(text) +
                               ": use box or corner");
    placement = text == "box" ? Placement::Box : Placement::Corner;
    return Status::success();
}

Area Area::joined(const Area& other) const {
    if (other.empty()) return *this;
    if (empty()) return other;
    return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
            std::max(bottom, other.bottom)};
}

Area placed_area(const BoundingBox& box, const CollectionImage& image) {
    if (image.width <= 0 || image.height <= 0) return {};
    return {box.left, box.top, std::int64_t{box.left} + image.width,
            std::int64_t{box.top} + image.height};
}

namespace {

const ImageCollection& collection_of(const SpriteDocument& document, const FrameImage& frame) {
    return document.collections[static_cast<std::size_t>(frame.collection)];
}

}  // namespace

Area drawing_area(const SpriteDocument& document, std::span<const FrameImage> frames) {
    Area area;
    for (const FrameImage& frame : frames) {
        if (!frame.found()) continue;
        const ImageCollection& c = collection_of(document, frame);
        const auto k = static_cast<std::size_t>(frame.slot);
        area = area.joined(placed_area(c.boxes[k], c.images[k]));
    }
    return area;
}

PlacedCells placed_cells(const SpriteDocument& document, std::span<const FrameImage> frames,
                         int scale) {
    PlacedCells cells;
    cells.area = drawing_area(document, frames);
    cells.width = cells.area.width() * scale;
    cells.height = cells.area.height() * scale;
    cells.origin = {-cells.area.left * scale, -cells.area.top * scale};
    cells.offsets.resize(frames.size());
    for (std::size_t q = 0; q < frames.size(); ++q) {
        if (!frames[q].found()) continue;
        const BoundingBox& box =
            collection_of(document, frames[q]).boxes[static_cast<std::size_t>(frames[q].slot)];
        cells.offsets[q] = {(box.left - cells.area.left) * scale,
                            (box.top - cells.area.top) * scale};
    }
    return cells;
}

Area visible_area(const CollectionImage& image) {
    const std::int64_t w = image.width;
    const std::int64_t h = image.height;
    if (w <= 0 || h <= 0) return {};
    Area seen{w, -1, 0, 0};
    std::int64_t x = 0;
    std::int64_t y = 0;
    // Columns [from, to) of row y are drawn, as far as the row reaches.
    const auto drawn = [&](std::int64_t from, std::int64_t to) {
        to = std::min(to, w);
        if (from >= to) return;
        if (seen.top < 0) seen.top = y;
        seen.bottom = y + 1;
        seen.left = std::min(seen.left, from);
        seen.right = std::max(seen.right, to);
    };
    // The run from its first pixel of alpha above 0 to its last; `step` bytes a pixel, the
    // alpha at `at`.
    const auto alpha_run = [&](const std::uint8_t* at, int count, int step) {
        int first = 0;
        while (first < count && at[first * step] == 0) ++first;
        int last = count;
        while (last > first && at[(last - 1) * step] == 0) --last;
        if (first < last) drawn(x + first, x + last);
    };
    // The walk of walk_rle<RowRule::Preview>, a command at a time: the rectangle needs only
    // where drawn runs start and end, not each pixel.
    const std::span<const std::uint8_t> data = encoded_bytes(image);
    std::size_t pos = 0;
    RleCommand command;
    while (y < h && read_command(data, pos, command)) {
        const std::uint8_t* operands = data.data() + command.operands;
        if (command.kind == 1) drawn(x, x + command.count);
        if (command.kind == 2) alpha_run(operands + 1, command.count, 2);
        if (command.kind == 3) alpha_run(operands, command.count, 1);
        x += command.count;
        if (x >= w) {
            x = 0;
            ++y;
        }
    }
    if (seen.top < 0) return {};
    return seen;
}

}  // namespace dabro
