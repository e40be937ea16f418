// Moving one image by hand: the step that shifts its box, open while a drag or keys go on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "commands/command.h"
#include "document/document_edits.h"

namespace dabro {

// The box shifted by (dx, dy), all four values alike; none when a value would leave the
// 32-bit range.
std::optional<BoundingBox> shifted_box(const BoundingBox& box, std::int64_t dx, std::int64_t dy);

// One step moving one image's box from where it was to a new place. While it is the newest
// step of the history, a drag or a run of arrow keys changes its place again, so the whole
// gesture stays one step.
class MoveImageStep final : public Command {
  public:
    // `place` names the image (collection and slot) and the sequence frame showing it.
    MoveImageStep(std::string name, Place place, const BoundingBox& from);

    const BoundingBox& from() const { return from_; }
    const BoundingBox& to() const { return to_; }
    ImageRef image() const { return {place().collection, place().slot}; }

    // The place the next apply() gives the box.
    void set_to(const BoundingBox& to) { to_ = to; }
    // Moves the applied step's box to `to`: the document changes as if the step had moved it
    // there in the first place.
    void move_applied(SpriteDocument& document, const BoundingBox& to);

    bool apply(SpriteDocument& document) override;
    void revert(SpriteDocument& document) override;
    std::size_t stored_bytes() const override { return 2 * sizeof(BoundingBox); }

  private:
    BoundingBox from_;
    BoundingBox to_;
};

}  // namespace dabro
