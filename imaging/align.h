// Aligning an image's box in the big or small gui frame.
#pragma once

#include <cstdint>

#include "document/sprite_document.h"

namespace dabro {

struct FrameSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The frames of the big and small gui items; the small one is half the big one.
inline constexpr FrameSize kBigItemFrame{130, 54};
inline constexpr FrameSize kSmallItemFrame{65, 27};

// The box that centres a width x height image in the frame: left = (frameWidth - width) / 2,
// top = (frameHeight - height) / 2, both truncating toward zero, and right and bottom exactly
// width and height beyond them. Computed in 64 bits, so no size overflows.
BoundingBox align_box(std::int32_t width, std::int32_t height, std::int32_t frameWidth,
                      std::int32_t frameHeight);

inline BoundingBox align_box(std::int32_t width, std::int32_t height, FrameSize frame) {
    return align_box(width, height, frame.width, frame.height);
}

}  // namespace dabro
