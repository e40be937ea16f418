// Finds what is broken or lossy in a sprite: references to nothing, empty and duplicate content.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/sprite_document.h"

namespace dabro {

// One finding: the rule's id, the message, and where it is. Only the places the rule names
// are set.
struct LintFinding {
    std::string rule;
    std::string message;
    std::optional<int> sequence;
    std::optional<int> frame;
    std::optional<int> collection;
    std::optional<int> image;
    std::vector<int> entries;
};

// The rule ids, in the order their findings come for one place.
const std::vector<std::string_view>& lint_rules();

// "sequence 2, frame 5", "collection 0, image 3", "collection 1, entries 0, 1": where a
// finding is, as the text form prints it.
std::string lint_place(const LintFinding& finding);

// Every finding of the rules not in `disabled`, sequences first in index order, then
// collections in index order and each collection's images in slot order. The images are
// examined on up to `threads` threads (0: one a core); the result does not depend on it.
std::vector<LintFinding> lint_sprite(const SpriteDocument& document,
                                     const std::vector<std::string>& disabled = {},
                                     unsigned threads = 0);

}  // namespace dabro
