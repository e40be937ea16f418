// Aligning an image's box in the big or small gui frame.
#include "imaging/align.h"

namespace dabro {

BoundingBox align_box(std::int32_t width, std::int32_t height, std::int32_t frameWidth,
                      std::int32_t frameHeight) {
    // Integer division truncates toward zero, also for an image larger than the frame.
    const std::int64_t left = (std::int64_t{frameWidth} - width) / 2;
    const std::int64_t top = (std::int64_t{frameHeight} - height) / 2;
    BoundingBox box;
    box.left = static_cast<std::int32_t>(left);
    box.top = static_cast<std::int32_t>(top);
    box.right = static_cast<std::int32_t>(left + width);
    box.bottom = static_cast<std::int32_t>(top + height);
    return box;
}

}  // namespace dabro
