#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "imaging/pixel_image.h"
#include "imaging/placement.h"
#include "imaging/sequence_cells.h"
#include "support/sprite_builder.h"

namespace dabro {
namespace {

// One frame of a sequence: its box's left and top and its image's size; frame -1 shows an
// image the collection does not have.
struct Frame {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool missing = false;
};

std::unique_ptr<SpriteDocument> sequence_of(const std::vector<Frame>& frames) {
    const int n = static_cast<int>(frames.size());
    auto doc =
        test::make_document({.sequences = 1, .framesPerSequence = n, .collections = {{n, 1}}});
    Sequence& s = doc->sequences[0];
    s.collectionIndex = 0;
    ImageCollection& c = doc->collections[0];
    for (std::size_t q = 0; q < frames.size(); ++q) {
        s.imageIndex[q] = static_cast<std::int16_t>(frames[q].missing ? n + 3 : int(q));
        c.images[q].width = frames[q].width;
        c.images[q].height = frames[q].height;
        // Right and bottom are not the image's: placing reads left, top and the image's size.
        c.boxes[q] = {frames[q].left, frames[q].top, -7, 99};
    }
    return doc;
}

// The drawing area the slow way: every covered pixel of a small window, and the smallest
// rectangle holding them.
Area covered_pixels(const std::vector<Frame>& frames) {
    Area area;
    for (std::int64_t y = -50; y < 50; ++y)
        for (std::int64_t x = -50; x < 50; ++x)
            for (const Frame& f : frames)
                if (!f.missing && x >= f.left && x < f.left + f.width && y >= f.top &&
                    y < f.top + f.height)
                    area = area.joined({x, y, x + 1, y + 1});
    return area;
}

TEST(Placement, CellsSpanEveryPlacedImageAndPutEachAtItsBox) {
    const std::vector<Frame> cases[] = {
        {{20, 12, 24, 24}},
        {{0, 0, 5, 4}, {3, -2, 4, 4}, {-6, 1, 2, 9}},
        {{-10, -10, 3, 3}, {10, 10, 3, 3}},            // apart: the gap is in the area
        {{2, 2, 6, 6}, {3, 3, 2, 2}},                  // one inside the other
        {{1, 1, 0, 30}, {2, 2, 30, 0}, {4, 5, 2, 3}},  // empty images add nothing
        {{-30, -30, 9, 9, true}, {0, 0, 1, 1}},        // nor a frame without an image
        {{0, 0, 0, 0}, {5, 5, 3, 0}},                  // nothing to draw
        {{0, 0, 3, 3, true}},
    };
    for (const auto& frames : cases) {
        for (int scale : {1, 3}) {
            SCOPED_TRACE(testing::Message()
                         << frames.size() << " frames, scale " << scale << ", first "
                         << frames[0].left << "," << frames[0].top);
            auto doc = sequence_of(frames);
            std::vector<FrameImage> found;
            for (int q = 0; q < int(frames.size()); ++q)
                found.push_back(sequence_frame_image(*doc, 0, q, 0));
            const Area expected = covered_pixels(frames);
            const PlacedCells cells = placed_cells(*doc, found, scale);
            ASSERT_EQ(cells.area, expected);
            EXPECT_EQ(cells.width, expected.width() * scale);
            EXPECT_EQ(cells.height, expected.height() * scale);
            EXPECT_EQ(cells.origin, (CellPoint{-expected.left * scale, -expected.top * scale}));
            for (std::size_t q = 0; q < frames.size(); ++q) {
                const CellPoint at = frames[q].missing
                                         ? CellPoint{}
                                         : CellPoint{(frames[q].left - expected.left) * scale,
                                                     (frames[q].top - expected.top) * scale};
                EXPECT_EQ(cells.offsets[q], at) << q;
            }
            SequenceCells planned;
            const Status s = plan_sequence_cells(*doc, 0, 0, scale, planned, Placement::Box);
            EXPECT_EQ(s.ok(), !expected.empty()) << s.message();
            if (!expected.empty())
                EXPECT_EQ(planned.width, cells.width);
            else
                EXPECT_EQ(s.message(), "Sequence 0 has no pixels to draw");
        }
    }
}

TEST(Placement, HostileBoxesNeitherOverflowNorPassTheCellLimit) {
    const std::vector<Frame> frames = {{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX},
                                       {INT32_MIN, INT32_MAX, 1, 1}};
    auto doc = sequence_of(frames);
    std::vector<FrameImage> found = {sequence_frame_image(*doc, 0, 0, 0),
                                     sequence_frame_image(*doc, 0, 1, 0)};
    const Area area = drawing_area(*doc, found);
    EXPECT_EQ(area, (Area{INT32_MIN, INT32_MIN, 2 * std::int64_t{INT32_MAX},
                          std::int64_t{INT32_MAX} + 1}));
    SequenceCells cells;
    const Status s = plan_sequence_cells(*doc, 0, 0, 16, cells, Placement::Box);
    EXPECT_EQ(s.message(),
              "The sheet is too large to draw: 2 cells of 103079215072 x "
              "68719476736");
}

// One walk finds what decoding every pixel finds.
TEST(Placement, VisibleAreaIsTheDecodedImagesDrawnPixels) {
    for (std::uint32_t seed = 0; seed < 60; ++seed) {
        SCOPED_TRACE(seed);
        CollectionImage image;
        image.width = 1 + static_cast<std::int32_t>(seed % 7);
        image.height = 1 + static_cast<std::int32_t>(seed / 7 % 5);
        std::vector<std::uint8_t> data = test::mixed_rle(image.width, image.height, seed);
        if (seed % 4 == 0) data.resize(data.size() / 2);  // data that stop short
        image.set_data(data);
        PixelImage pixels;
        ASSERT_TRUE(decode_pixels(image, pixels).ok());
        Area expected;
        for (std::int32_t y = 0; y < image.height; ++y)
            for (std::int32_t x = 0; x < image.width; ++x)
                if (pixels.at(x, y).alpha > 0) expected = expected.joined({x, y, x + 1, y + 1});
        EXPECT_EQ(visible_area(image), expected);
    }
}

}  // namespace
}  // namespace dabro
