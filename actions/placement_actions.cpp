// Place frames: the images chosen, each one's new box worked out, and the one step built.
#include "actions/placement_actions.h"

#include <algorithm>
#include <array>
#include <limits>

#include "document/text_to_int.h"
#include "imaging/placement.h"

namespace dabro {

namespace {

constexpr std::array<std::string_view, 9> kAnchorNames = {"top-left",    "top",    "top-right",
                                                          "left",        "centre", "right",
                                                          "bottom-left", "bottom", "bottom-right"};

std::string there_is_no(const char* what, int value, long long count, const char* noun,
                        const char* owner) {
    return std::string("There is no ") + what + ' ' + std::to_string(value) + ": the " + owner +
           " has " + counted(count, noun);
}

// Per collection, which of its slots are chosen.
using Chosen = std::vector<std::vector<char>>;

Status check_direction(const ImageCollection& c, int direction) {
    if (direction == kPlaceAll || (direction >= 0 && direction < c.directions))
        return Status::success();
    return Status::failure(
        there_is_no("direction", direction, c.directions, "direction", "collection"));
}

// Marks frame f of collection c in direction d, or in every direction.
void mark(const SpriteDocument& document, Chosen& chosen, int c, int f, int d) {
    const ImageCollection& col = document.collections[static_cast<std::size_t>(c)];
    auto& slots = chosen[static_cast<std::size_t>(c)];
    slots.resize(static_cast<std::size_t>(col.slot_count()));
    for (int k = 0; k < col.directions; ++k)
        if (d == kPlaceAll || d == k) slots[static_cast<std::size_t>(col.slot_of(f, k))] = 1;
}

Status choose(const SpriteDocument& document, const PlaceImages& images, Chosen& chosen) {
    chosen.assign(
        static_cast<std::size_t>(std::clamp(document.collectionCount, 0, kMaxCollections)), {});
    if (!images.bySequence) {
        const int c = images.collection;
        if (!collection_in_use(document, c))
            return Status::failure(
                there_is_no("collection", c, chosen.size(), "collection", "sprite"));
        const ImageCollection& col = document.collections[static_cast<std::size_t>(c)];
        const int frames = col.slot_count() > 0 ? col.frames : 0;
        if (images.frame != kPlaceAll && (images.frame < 0 || images.frame >= frames))
            return Status::failure(
                there_is_no("frame", images.frame, frames, "frame", "collection"));
        if (Status s = check_direction(col, images.direction); !s.ok()) return s;
        for (int f = 0; f < frames; ++f)
            if (images.frame == kPlaceAll || images.frame == f)
                mark(document, chosen, c, f, images.direction);
        return Status::success();
    }
    const int sequences = std::clamp(document.sequenceCount, 0, kMaxSequences);
    const int first = images.sequence == kPlaceAll ? 0 : images.sequence;
    const int end = images.sequence == kPlaceAll ? sequences : images.sequence + 1;
    if (images.sequence != kPlaceAll && !sequence_in_use(document, images.sequence))
        return Status::failure(
            there_is_no("sequence", images.sequence, sequences, "sequence", "sprite"));
    for (int s = first; s < end; ++s) {
        const Sequence& seq = document.sequences[static_cast<std::size_t>(s)];
        const int c = seq.collectionIndex;
        // Over every sequence, one naming a collection the sprite lacks is passed over.
        if (!collection_in_use(document, c) && images.sequence == kPlaceAll) continue;
        if (!collection_in_use(document, c))
            return Status::failure("Sequence " + std::to_string(s) + " shows collection " +
                                   std::to_string(c) + ", which the sprite does not have");
        const ImageCollection& col = document.collections[static_cast<std::size_t>(c)];
        if (Status st = check_direction(col, images.direction); !st.ok()) return st;
        auto& slots = chosen[static_cast<std::size_t>(c)];
        slots.resize(static_cast<std::size_t>(col.slot_count()));
        const int frames = col.slot_count() > 0 ? col.frames : 0;
        for (int q = 0; q < std::clamp(seq.frameCount, 0, kMaxSequenceFrames); ++q) {
            const int f = seq.imageIndex[static_cast<std::size_t>(q)];
            if (f >= 0 && f < frames) mark(document, chosen, c, f, images.direction);
        }
    }
    return Status::success();
}

struct Move {
    std::int64_t dx = 0;
    std::int64_t dy = 0;
};

// The move that puts the anchor point of `visible` (in frame pixels) on --at.
Move anchor_move(const Area& visible, AnchorPoint point, const PlacePair& at) {
    const auto n = static_cast<int>(point);
    const auto along = [](int third, std::int64_t low, std::int64_t high) {
        return third == 0 ? low : third == 1 ? low + (high - low) / 2 : high;
    };
    Move move;
    if (at.x) move.dx = *at.x - along(n % 3, visible.left, visible.right);
    if (at.y) move.dy = *at.y - along(n / 3, visible.top, visible.bottom);
    return move;
}

Area in_frame(const Area& image, const BoundingBox& box) {
    if (image.empty()) return {};
    return {image.left + box.left, image.top + box.top, image.right + box.left,
            image.bottom + box.top};
}

std::string box_text(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b) {
    return std::to_string(l) + ',' + std::to_string(t) + ',' + std::to_string(r) + ',' +
           std::to_string(b);
}

// What the operation does to every chosen image of one collection.
class CollectionPlacer {
  public:
    CollectionPlacer(const SpriteDocument& document, const PlaceRequest& request, int c,
                     const std::vector<char>& slots)
        : request_(request),
          c_(c),
          col_(document.collections[static_cast<std::size_t>(c)]),
          slots_(slots) {}

    Status check() const {
        const PlaceOperation op = request_.operation;
        if ((op == PlaceOperation::Anchor || op == PlaceOperation::FitBox) &&
            !col_.images_readable())
            return Status::failure(kUnreadableImages);
        if (op != PlaceOperation::CopyFrom) return Status::success();
        const int frames = col_.slot_count() > 0 ? col_.frames : 0;
        if (request_.copyFrame < 0 || request_.copyFrame >= frames)
            return Status::failure(
                there_is_no("frame", request_.copyFrame, frames, "frame", "collection"));
        if (request_.copyDirection) return check_direction(col_, *request_.copyDirection);
        return Status::success();
    }

    Status place(PlaceOutcome& outcome, std::vector<BoxChange>& changes) {
        if (request_.operation == PlaceOperation::Anchor) find_anchor_moves();
        for (int k = 0; k < static_cast<int>(slots_.size()); ++k) {
            if (!slots_[static_cast<std::size_t>(k)]) continue;
            const std::string name = "collection " + std::to_string(c_) + " frame " +
                                     std::to_string(k / col_.directions) + " direction " +
                                     std::to_string(k % col_.directions) + ": ";
            if (request_.operation == PlaceOperation::Anchor &&
                !moves_[static_cast<std::size_t>(k)]) {
                outcome.lines.push_back(name + "no visible pixel, left where it is");
                continue;
            }
            const BoundingBox& old = col_.boxes[static_cast<std::size_t>(k)];
            const std::array<std::int64_t, 4> box = new_box(k);
            constexpr std::int64_t low = std::numeric_limits<std::int32_t>::min();
            constexpr std::int64_t high = std::numeric_limits<std::int32_t>::max();
            for (std::int64_t v : box)
                if (v < low || v > high)
                    return Status::failure("The box of " + name.substr(0, name.size() - 2) +
                                           " would leave the 32-bit range: " +
                                           box_text(box[0], box[1], box[2], box[3]));
            const BoundingBox placed{
                static_cast<std::int32_t>(box[0]), static_cast<std::int32_t>(box[1]),
                static_cast<std::int32_t>(box[2]), static_cast<std::int32_t>(box[3])};
            if (placed == old) continue;
            outcome.lines.push_back(name + box_text(old.left, old.top, old.right, old.bottom) +
                                    " -> " + box_text(box[0], box[1], box[2], box[3]));
            changes.push_back({{c_, k}, placed});
        }
        return Status::success();
    }

  private:
    // Each chosen image's move, none where it has no visible pixel (or, together, where its
    // direction has none).
    void find_anchor_moves() {
        moves_.assign(slots_.size(), std::nullopt);
        std::vector<Area> visible(slots_.size());
        std::vector<Area> together(static_cast<std::size_t>(std::max(col_.directions, 0)));
        for (std::size_t k = 0; k < slots_.size(); ++k) {
            if (!slots_[k]) continue;
            visible[k] = in_frame(visible_area(col_.images[k]), col_.boxes[k]);
            const auto d = k % together.size();
            together[d] = together[d].joined(visible[k]);
        }
        for (std::size_t k = 0; k < slots_.size(); ++k) {
            const Area& area = request_.together ? together[k % together.size()] : visible[k];
            if (slots_[k] && !area.empty())
                moves_[k] = anchor_move(area, request_.anchor, request_.pair);
        }
    }

    std::array<std::int64_t, 4> new_box(int k) const {
        const BoundingBox& b = col_.boxes[static_cast<std::size_t>(k)];
        const PlacePair& pair = request_.pair;
        Move move;
        switch (request_.operation) {
            case PlaceOperation::By:
                move = {pair.x.value_or(0), pair.y.value_or(0)};
                break;
            case PlaceOperation::Set:
                if (pair.x) move.dx = std::int64_t{*pair.x} - b.left;
                if (pair.y) move.dy = std::int64_t{*pair.y} - b.top;
                break;
            case PlaceOperation::Anchor:
                move = *moves_[static_cast<std::size_t>(k)];
                break;
            case PlaceOperation::FitBox: {
                const CollectionImage& image = col_.images[static_cast<std::size_t>(k)];
                return {b.left, b.top, std::int64_t{b.left} + image.width,
                        std::int64_t{b.top} + image.height};
            }
            case PlaceOperation::CopyFrom: {
                const int d = request_.copyDirection.value_or(k % col_.directions);
                const BoundingBox& from =
                    col_.boxes[static_cast<std::size_t>(col_.slot_of(request_.copyFrame, d))];
                if (request_.axes != PlaceAxes::YOnly) move.dx = std::int64_t{from.left} - b.left;
                if (request_.axes != PlaceAxes::XOnly) move.dy = std::int64_t{from.top} - b.top;
                break;
            }
        }
        return {b.left + move.dx, b.top + move.dy, b.right + move.dx, b.bottom + move.dy};
    }

    const PlaceRequest& request_;
    int c_;
    const ImageCollection& col_;
    const std::vector<char>& slots_;
    std::vector<std::optional<Move>> moves_;
};

}  // namespace

Status anchor_point_named(std::string_view text, AnchorPoint& point) {
    for (std::size_t i = 0; i < kAnchorNames.size(); ++i) {
        if (kAnchorNames[i] != text) continue;
        point = static_cast<AnchorPoint>(i);
        return Status::success();
    }
    return Status::failure("There is no point " + std::string(text) +
                           ": use top-left, top, top-right, left, centre, right, bottom-left, "
                           "bottom or bottom-right");
}

Status parse_place_pair(std::string_view text, bool eitherOptional, PlacePair& pair) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return Status::failure("'" + std::string(text) + "' is not a pair of numbers: use X,Y");
    const std::string_view parts[] = {text.substr(0, comma), text.substr(comma + 1)};
    if ((parts[0].empty() && parts[1].empty()) ||
        (!eitherOptional && (parts[0].empty() || parts[1].empty())))
        return Status::failure("'" + std::string(text) + "' is not a pair of numbers: use X,Y" +
                               (eitherOptional ? ", leaving out at most one" : ""));
    pair = {};
    std::optional<std::int32_t>* sides[] = {&pair.x, &pair.y};
    for (int i = 0; i < 2; ++i) {
        if (parts[i].empty()) continue;
        std::int32_t v = 0;
        if (Status s = text_to_int(parts[i], v); !s.ok()) return s;
        *sides[i] = v;
    }
    return Status::success();
}

Status place_frames(const SpriteDocument& document, const PlaceRequest& request,
                    PlaceOutcome& outcome) {
    outcome = {};
    Chosen chosen;
    if (Status s = choose(document, request.images, chosen); !s.ok()) return s;
    std::vector<BoxChange> changes;
    for (std::size_t c = 0; c < chosen.size(); ++c) {
        if (chosen[c].empty() && (request.images.bySequence || int(c) != request.images.collection))
            continue;
        CollectionPlacer placer(document, request, static_cast<int>(c), chosen[c]);
        if (Status s = placer.check(); !s.ok()) return s;
        if (Status s = placer.place(outcome, changes); !s.ok()) {
            outcome = {};
            return s;
        }
    }
    if (!changes.empty()) outcome.step = set_boxes_command("Place frames", std::move(changes));
    return Status::success();
}

}  // namespace dabro
