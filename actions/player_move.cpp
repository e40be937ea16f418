// Moving one image by hand: the box shifted, and the step that keeps the move undoable.
#include "actions/player_move.h"

#include <limits>

namespace dabro {

std::optional<BoundingBox> shifted_box(const BoundingBox& box, std::int64_t dx, std::int64_t dy) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    const std::int64_t values[] = {box.left + dx, box.top + dy, box.right + dx, box.bottom + dy};
    for (const std::int64_t v : values)
        if (v < lo || v > hi) return std::nullopt;
    return BoundingBox{static_cast<std::int32_t>(values[0]), static_cast<std::int32_t>(values[1]),
                       static_cast<std::int32_t>(values[2]), static_cast<std::int32_t>(values[3])};
}

MoveImageStep::MoveImageStep(std::string name, Place place, const BoundingBox& from)
    : Command(std::move(name), Refresh::ImageDetails, place), from_(from), to_(from) {}

namespace {

BoundingBox* box_of(SpriteDocument& document, ImageRef ref) {
    if (!is_valid(document, ref)) return nullptr;
    return &document.collections[static_cast<std::size_t>(ref.collection)]
                .boxes[static_cast<std::size_t>(ref.slot)];
}

}  // namespace

bool MoveImageStep::apply(SpriteDocument& document) {
    BoundingBox* box = box_of(document, image());
    if (box == nullptr || *box == to_) return false;
    *box = to_;
    return true;
}

void MoveImageStep::revert(SpriteDocument& document) {
    if (BoundingBox* box = box_of(document, image())) *box = from_;
}

void MoveImageStep::move_applied(SpriteDocument& document, const BoundingBox& to) {
    to_ = to;
    if (BoundingBox* box = box_of(document, image())) *box = to_;
}

}  // namespace dabro
