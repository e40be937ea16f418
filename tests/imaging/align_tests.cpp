#include <gtest/gtest.h>

#include "imaging/align.h"

namespace dabro {
namespace {

TEST(Align, Table) {
    struct Case {
        std::int32_t w, h;
        FrameSize frame;
        BoundingBox box;
    };
    const Case cases[] = {
        {100, 40, kBigItemFrame, {15, 7, 115, 47}},
        {101, 41, kBigItemFrame, {14, 6, 115, 47}},
        {135, 60, kBigItemFrame, {-2, -3, 133, 57}},
        {131, 55, kBigItemFrame, {0, 0, 131, 55}},  // -1 / 2 truncates to 0
        {65, 27, kSmallItemFrame, {0, 0, 65, 27}},
        {64, 32, kSmallItemFrame, {0, -2, 64, 30}},
        {0, 0, kSmallItemFrame, {32, 13, 32, 13}},
        {-4, -1, kSmallItemFrame, {34, 14, 30, 13}},
        // Sizes from a hostile file must not overflow on the way.
        {2147483647,
         -2147483647 - 1,
         kBigItemFrame,
         {-1073741758, 1073741851, 1073741889, -1073741797}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        const BoundingBox box = align_box(c.w, c.h, c.frame);
        EXPECT_EQ(box, c.box);
        EXPECT_EQ(align_box(c.w, c.h, c.frame), box);  // aligning twice gives the same box
    }
}

}  // namespace
}  // namespace dabro
