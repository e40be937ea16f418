// The undo history of one document.
#include "commands/history.h"

#include <utility>

namespace dabro {

bool History::run(CommandPtr command, SpriteDocument& document) {
    if (!command || !command->apply(document)) return false;
    while (steps_.size() > done_) {
        bytes_ -= steps_.back()->stored_bytes();
        steps_.pop_back();
    }
    // The clean step was among those undone: no step of this history reaches it again.
    if (clean_ && *clean_ > done_) clean_.reset();
    bytes_ += command->stored_bytes();
    steps_.push_back(std::move(command));
    ++done_;
    // The newest step always stays, even when it alone is over the byte limit.
    while (steps_.size() > 1 && (steps_.size() > limits_.steps || bytes_ > limits_.bytes))
        drop_oldest();
    return true;
}

void History::drop_oldest() {
    bytes_ -= steps_.front()->stored_bytes();
    steps_.pop_front();
    --done_;
    if (clean_) {
        if (*clean_ == 0)
            clean_.reset();
        else
            --*clean_;
    }
}

const Command* History::undo(SpriteDocument& document) {
    if (done_ == 0) return nullptr;
    Command& step = *steps_[--done_];
    step.revert(document);
    return &step;
}

const Command* History::redo(SpriteDocument& document) {
    if (done_ == steps_.size()) return nullptr;
    Command& step = *steps_[done_++];
    step.apply(document);
    return &step;
}

const Command* History::next_undo() const {
    return done_ == 0 ? nullptr : steps_[done_ - 1].get();
}

const Command* History::next_redo() const {
    return done_ == steps_.size() ? nullptr : steps_[done_].get();
}

void History::clear() {
    steps_.clear();
    done_ = 0;
    bytes_ = 0;
    clean_ = 0;
}

void History::mark_clean() {
    clean_ = done_;
}

bool History::at_clean() const {
    return clean_ && *clean_ == done_;
}

}  // namespace dabro
