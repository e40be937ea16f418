// The undo history of one document.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>

#include "commands/command.h"

namespace dabro {

// The undo history of one document: the steps done, the steps undone that redo can bring
// back, and the step at which the document was last clean (opened or saved).
class History {
  public:
    struct Limits {
        std::size_t steps = 1000;
        std::size_t bytes = std::size_t{256} << 20;  // of stored image and palette data
    };

    History() = default;
    explicit History(Limits limits) : limits_(limits) {}

    // Applies the command. A command that changed the document becomes the newest step,
    // the steps that redo could bring back are dropped, and the oldest steps go while the
    // history is over its limits. Returns whether the document changed.
    bool run(CommandPtr command, SpriteDocument& document);

    // Takes back the newest step, or brings back the last one undone. Returns that step, or
    // nullptr when there is none; the step stays owned by the history.
    const Command* undo(SpriteDocument& document);
    const Command* redo(SpriteDocument& document);

    const Command* next_undo() const;
    const Command* next_redo() const;

    // Forgets every step; the document as it is now is clean.
    void clear();
    // The document as it is now is the one on disk.
    void mark_clean();
    // Whether undo and redo have brought the document back to its clean step. False when
    // that step has been dropped or can no longer be reached.
    bool at_clean() const;

    std::size_t size() const { return steps_.size(); }
    std::size_t stored_bytes() const { return bytes_; }

  private:
    void drop_oldest();

    Limits limits_;
    std::deque<CommandPtr> steps_;
    std::size_t done_ = 0;  // steps_[0, done_) are applied
    std::size_t bytes_ = 0;
    std::optional<std::size_t> clean_ = 0;  // the value of done_ that is clean
};

}  // namespace dabro
