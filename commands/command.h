// The command: one undoable change to a document, with the place and refresh it shows.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>

#include "document/sprite_document.h"

namespace dabro {

// The part of the window that shows a change again after a command, its undo or its redo:
// the highest level of the refresh chain the change reaches. The window maps each level to
// its refresh operation.
enum class Refresh {
    Sequences,       // the sequence list and everything below it
    SequenceFrames,  // the sequence frame list and what depends on it
    Directions,      // the direction list (its texts name the source files) and below
    ImageDetails,    // the size and box fields and the preview
    Preview,         // the preview alone
};

// Where a step changes the document: the entries a view selects to show the change after an
// undo or a redo. -1 where the step has no entry of that kind.
struct Place {
    int sequence = -1;
    int frame = -1;  // a frame of the sequence
    int collection = -1;
    int slot = -1;  // an image slot of the collection
    bool operator==(const Place&) const = default;
};

// One change to a document, with its undo. A command stores only what it changes (a field's
// old value, a slot's old data), never a copy of the document.
class Command {
  public:
    Command(std::string name, Refresh refresh, Place place = {})
        : name_(std::move(name)), refresh_(refresh), place_(place) {}
    virtual ~Command() = default;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // The step's name as the Edit menu shows it: "Halve image".
    const std::string& name() const { return name_; }
    Refresh refresh() const { return refresh_; }
    // Known once the step has been applied: a table edit learns its entry then.
    const Place& place() const { return place_; }

    // Makes the change; false when the document did not change, and nothing was. Runs again
    // for a redo, after revert().
    virtual bool apply(SpriteDocument& document) = 0;
    // Takes back the last apply().
    virtual void revert(SpriteDocument& document) = 0;
    // The bytes of document data the step holds, which the history bounds.
    virtual std::size_t stored_bytes() const { return 0; }

  protected:
    void set_place(const Place& place) { place_ = place; }

  private:
    std::string name_;
    Refresh refresh_;
    Place place_;
};

using CommandPtr = std::unique_ptr<Command>;

// Sets one value of the document through a getter and a setter of document_edits.h. The
// old value is read when the command is first applied.
template <typename Target, typename Value>
class SetValue final : public Command {
  public:
    using Get = Value (*)(const SpriteDocument&, const Target&);
    using Set = bool (*)(SpriteDocument&, const Target&, const Value&);

    SetValue(std::string name, Refresh refresh, Place place, Target target, Value value, Get get,
             Set set)
        : Command(std::move(name), refresh, place),
          target_(std::move(target)),
          new_(std::move(value)),
          get_(get),
          set_(set) {}

    bool apply(SpriteDocument& document) override {
        if (!captured_) {
            old_ = get_(document, target_);
            captured_ = true;
        }
        return set_(document, target_, new_);
    }
    void revert(SpriteDocument& document) override { set_(document, target_, old_); }
    std::size_t stored_bytes() const override { return 2 * sizeof(Value); }

  private:
    Target target_;
    Value new_;
    Value old_{};
    bool captured_ = false;
    Get get_;
    Set set_;
};

}  // namespace dabro
