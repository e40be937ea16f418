// The commands of the document's tables and fields, built on document_edits.
#include "commands/document_commands.h"

#include <algorithm>
#include <utility>

namespace dabro {
namespace {

struct FrameTarget {
    int sequence = -1;
    int frame = -1;
};

bool frame_in_use(const SpriteDocument& d, const FrameTarget& t) {
    return frame_in_use(d, t.sequence, t.frame);
}

Place place_of(const FrameTarget& t) {
    return {.sequence = t.sequence, .frame = t.frame};
}

Place place_of(ImageRef ref) {
    return {.collection = ref.collection, .slot = ref.slot};
}

template <typename Target, typename Value>
CommandPtr set_value(std::string name, Refresh refresh, Place place, Target target, Value value,
                     typename SetValue<Target, Value>::Get get,
                     typename SetValue<Target, Value>::Set set) {
    return std::make_unique<SetValue<Target, Value>>(std::move(name), refresh, place,
                                                     std::move(target), std::move(value), get, set);
}

// Add and delete of sequences and frames change the table's count and at most one slot;
// undo puts both back.
class SequenceTableCommand final : public Command {
  public:
    using Edit = TableEdit (*)(SpriteDocument&, int sequence);

    SequenceTableCommand(std::string name, Refresh refresh, Edit edit, int sequence,
                         TableEdit* outcome)
        : Command(std::move(name), refresh), edit_(edit), sequence_(sequence), outcome_(outcome) {}

    bool apply(SpriteDocument& document) override {
        count_ = document.sequenceCount;
        slot_ = sequence_ >= 0 ? sequence_ : std::clamp(count_, 0, kMaxSequences - 1);
        if (slot_ < kMaxSequences) before_ = document.sequences[slot_];
        const std::int32_t frames = frame_count(document);
        const TableEdit result = edit_(document, sequence_);
        // The entry added or deleted: the one at the smaller of the two counts.
        if (sequence_ < 0)
            set_place({.sequence = std::min(count_, document.sequenceCount)});
        else
            set_place({.sequence = sequence_, .frame = std::min(frames, frame_count(document))});
        if (outcome_ != nullptr) {
            *outcome_ = result;
            outcome_ = nullptr;  // the caller's variable is gone by the time of a redo
        }
        return result == TableEdit::Changed;
    }
    void revert(SpriteDocument& document) override {
        restore_sequence(document, count_, slot_, before_);
    }
    std::size_t stored_bytes() const override { return sizeof(Sequence); }

  private:
    std::int32_t frame_count(const SpriteDocument& document) const {
        return sequence_in_use(document, sequence_) ? document.sequences[sequence_].frameCount : 0;
    }

    Edit edit_;
    int sequence_;
    TableEdit* outcome_;
    std::int32_t count_ = 0;
    int slot_ = 0;
    Sequence before_;
};

CommandPtr table_command(std::string name, Refresh refresh, SequenceTableCommand::Edit edit,
                         int sequence, TableEdit* outcome) {
    return std::make_unique<SequenceTableCommand>(std::move(name), refresh, edit, sequence,
                                                  outcome);
}

class ReplaceImage final : public Command {
  public:
    ReplaceImage(std::string name, Refresh refresh, ImageRef ref, EncodedImage image)
        : Command(std::move(name), refresh, place_of(ref)), ref_(ref), held_(std::move(image)) {}

    bool apply(SpriteDocument& document) override {
        const std::size_t replacement = held_.data.size();
        if (!exchange_image(document, ref_, held_)) return false;
        bytes_ = replacement + held_.data.size();
        return true;
    }
    void revert(SpriteDocument& document) override { exchange_image(document, ref_, held_); }
    // The old and the new data, whichever of them the slot holds at the moment.
    std::size_t stored_bytes() const override { return bytes_; }

  private:
    ImageRef ref_;
    EncodedImage held_;  // the pixels the slot does not hold now
    std::size_t bytes_ = 0;
};

class Group final : public Command {
  public:
    Group(std::string name, Refresh refresh, std::vector<CommandPtr> parts)
        : Command(std::move(name), refresh), parts_(std::move(parts)) {}

    bool apply(SpriteDocument& document) override {
        if (pruned_) {
            for (CommandPtr& part : parts_) part->apply(document);
            return !parts_.empty();
        }
        // A part that changed nothing is dropped: there is nothing of it to undo.
        std::vector<CommandPtr> kept;
        for (CommandPtr& part : parts_) {
            if (part->apply(document)) kept.push_back(std::move(part));
        }
        parts_ = std::move(kept);
        pruned_ = true;
        if (!parts_.empty()) set_place(parts_.front()->place());
        return !parts_.empty();
    }
    void revert(SpriteDocument& document) override {
        for (auto it = parts_.rbegin(); it != parts_.rend(); ++it) (*it)->revert(document);
    }
    std::size_t stored_bytes() const override {
        std::size_t n = 0;
        for (const CommandPtr& part : parts_) n += part->stored_bytes();
        return n;
    }

  private:
    std::vector<CommandPtr> parts_;
    bool pruned_ = false;
};

}  // namespace

CommandPtr set_sequence_name_command(int sequence, std::string name) {
    return set_value<int, std::string>(
        "Edit sequence name", Refresh::Sequences, {.sequence = sequence}, sequence, std::move(name),
        [](const SpriteDocument& d, const int& s) {
            return sequence_in_use(d, s) ? d.sequences[s].name.str() : std::string();
        },
        [](SpriteDocument& d, const int& s, const std::string& v) {
            return set_sequence_name(d, s, v);
        });
}

CommandPtr set_collection_index_command(int sequence, std::uint16_t index) {
    return set_value<int, std::uint16_t>(
        "Edit collection index", Refresh::Sequences, {.sequence = sequence}, sequence, index,
        [](const SpriteDocument& d, const int& s) {
            return sequence_in_use(d, s) ? d.sequences[s].collectionIndex : std::uint16_t{0};
        },
        [](SpriteDocument& d, const int& s, const std::uint16_t& v) {
            return set_collection_index(d, s, v);
        });
}

CommandPtr set_image_index_command(int sequence, int frame, std::int16_t index) {
    return set_value<FrameTarget, std::int16_t>(
        "Edit image index", Refresh::SequenceFrames, place_of(FrameTarget{sequence, frame}),
        {sequence, frame}, index,
        [](const SpriteDocument& d, const FrameTarget& t) {
            return frame_in_use(d, t) ? d.sequences[t.sequence].imageIndex[t.frame]
                                      : std::int16_t{0};
        },
        [](SpriteDocument& d, const FrameTarget& t, const std::int16_t& v) {
            return set_image_index(d, t.sequence, t.frame, v);
        });
}

CommandPtr set_frame_value_command(int sequence, int frame, std::int32_t value) {
    return set_value<FrameTarget, std::int32_t>(
        "Edit frame value", Refresh::SequenceFrames, place_of(FrameTarget{sequence, frame}),
        {sequence, frame}, value,
        [](const SpriteDocument& d, const FrameTarget& t) {
            return frame_in_use(d, t) ? d.sequences[t.sequence].frameValue[t.frame]
                                      : std::int32_t{0};
        },
        [](SpriteDocument& d, const FrameTarget& t, const std::int32_t& v) {
            return set_frame_value(d, t.sequence, t.frame, v);
        });
}

CommandPtr add_sequence_command(TableEdit* outcome) {
    return table_command(
        "Add sequence", Refresh::Sequences, [](SpriteDocument& d, int) { return add_sequence(d); },
        -1, outcome);
}

CommandPtr delete_sequence_command(TableEdit* outcome) {
    return table_command(
        "Delete sequence", Refresh::Sequences,
        [](SpriteDocument& d, int) { return delete_sequence(d); }, -1, outcome);
}

CommandPtr add_frame_command(int sequence, TableEdit* outcome) {
    return table_command("Add frame", Refresh::SequenceFrames, add_frame, sequence, outcome);
}

CommandPtr delete_frame_command(int sequence, TableEdit* outcome) {
    return table_command("Delete frame", Refresh::SequenceFrames, delete_frame, sequence, outcome);
}

ImageGeometry geometry_of(const SpriteDocument& document, ImageRef ref) {
    if (!is_valid(document, ref)) return {};
    const ImageCollection& c = document.collections[ref.collection];
    const CollectionImage& image = c.images[ref.slot];
    return {image.width, image.height, c.boxes[ref.slot]};
}

CommandPtr set_geometry_command(std::string name, ImageRef ref, const ImageGeometry& geometry) {
    return set_value<ImageRef, ImageGeometry>(
        std::move(name), Refresh::ImageDetails, place_of(ref), ref, geometry,
        [](const SpriteDocument& d, const ImageRef& r) { return geometry_of(d, r); },
        [](SpriteDocument& d, const ImageRef& r, const ImageGeometry& g) {
            bool changed = set_image_width(d, r, g.width);
            changed = set_image_height(d, r, g.height) || changed;
            return set_box(d, r, g.box) || changed;
        });
}

namespace {

class SetBoxes final : public Command {
  public:
    SetBoxes(std::string name, std::vector<BoxChange> changes)
        : Command(std::move(name), Refresh::ImageDetails,
                  changes.empty() ? Place{} : place_of(changes.front().ref)),
          changes_(std::move(changes)) {}
    bool apply(SpriteDocument& document) override {
        if (old_.empty()) {
            for (const BoxChange& c : changes_)
                old_.push_back(
                    {c.ref, is_valid(document, c.ref)
                                ? document.collections[c.ref.collection].boxes[c.ref.slot]
                                : BoundingBox{}});
        }
        bool changed = false;
        for (const BoxChange& c : changes_) changed = set_box(document, c.ref, c.box) || changed;
        return changed;
    }
    void revert(SpriteDocument& document) override {
        for (auto c = old_.rbegin(); c != old_.rend(); ++c) set_box(document, c->ref, c->box);
    }
    std::size_t stored_bytes() const override {
        return (changes_.size() + old_.size()) * sizeof(BoxChange);
    }

  private:
    std::vector<BoxChange> changes_;
    std::vector<BoxChange> old_;
};

}  // namespace

CommandPtr set_boxes_command(std::string name, std::vector<BoxChange> changes) {
    return std::make_unique<SetBoxes>(std::move(name), std::move(changes));
}

CommandPtr replace_image_command(std::string name, Refresh refresh, ImageRef ref,
                                 EncodedImage image) {
    return std::make_unique<ReplaceImage>(std::move(name), refresh, ref, std::move(image));
}

CommandPtr set_palette_command(std::string name, int collection, const Palette& palette, int slot) {
    using Target = std::pair<int, int>;  // the collection and its palette
    return set_value<Target, Palette>(
        std::move(name), Refresh::ImageDetails, {.collection = collection},
        Target{collection, slot}, palette,
        [](const SpriteDocument& d, const Target& t) {
            return collection_in_use(d, t.first) && t.second >= 0 &&
                           t.second < kPalettesPerCollection
                       ? d.collections[t.first].palettes[t.second]
                       : Palette{};
        },
        [](SpriteDocument& d, const Target& t, const Palette& p) {
            return set_palette(d, t.first, p, t.second);
        });
}

namespace {

class ReplaceCollection final : public Command {
  public:
    ReplaceCollection(std::string name, int collection, CollectionContent content)
        : Command(std::move(name), Refresh::Directions, {.collection = collection}),
          collection_(collection),
          held_(std::move(content)) {
        for (const CollectionImage& image : held_.images) bytes_ += image.data.size();
        bytes_ += sizeof(held_.palettes);
    }
    bool apply(SpriteDocument& document) override {
        return exchange_collection_content(document, collection_, held_);
    }
    void revert(SpriteDocument& document) override {
        exchange_collection_content(document, collection_, held_);
    }
    std::size_t stored_bytes() const override { return bytes_; }

  private:
    int collection_;
    CollectionContent held_;
    std::size_t bytes_ = 0;
};

}  // namespace

CommandPtr replace_collection_command(std::string name, int collection, CollectionContent content) {
    return std::make_unique<ReplaceCollection>(std::move(name), collection, std::move(content));
}

CommandPtr group_command(std::string name, Refresh refresh, std::vector<CommandPtr> parts) {
    return std::make_unique<Group>(std::move(name), refresh, std::move(parts));
}

}  // namespace dabro
