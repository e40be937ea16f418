#include <gtest/gtest.h>

#include "imaging/player_render.h"
#include "reference.h"
#include "support/sprite_builder.h"

namespace dabro {
namespace {

using test::image_of;

Palette test_palette(std::uint32_t salt = 0) {
    Palette p{};
    for (std::size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<std::uint32_t>(i * 0x010305 + 0x402010 + salt) & 0xFFFFFF;
    return p;
}

struct View {
    View(int w, int h, std::uint32_t fill = 0xDEADBEEF)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}
    ViewBuffer buffer() { return {pixels.data(), width, height, width}; }
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    int width;
    int height;
    std::vector<std::uint32_t> pixels;
};

// Each view pixel shows the unzoomed preview's pixel it lies over, and the grey elsewhere.
struct ZoomCase {
    int zoom;
    std::int64_t originX;
    std::int64_t originY;
};

class ZoomedPixels : public testing::TestWithParam<ZoomCase> {};

TEST_P(ZoomedPixels, MatchTheUnzoomedPreview) {
    const ZoomCase c = GetParam();
    const Palette palette = test_palette();
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        const int w = 5 + static_cast<int>(seed) * 3;
        const int h = 4 + static_cast<int>(seed);
        const CollectionImage image = image_of(w, h, test::mixed_rle(w, h, seed));
        std::vector<std::uint32_t> flat(static_cast<std::size_t>(w) * h);
        render_image_into(image, palette, flat.data(), w, h, w);

        View view(61, 47);
        FrameRenderer renderer;
        FrameScene scene;
        scene.current = {&image, &palette};
        scene.zoom = c.zoom;
        scene.originX = c.originX;
        scene.originY = c.originY;
        renderer.render(scene, view.buffer());
        for (int y = 0; y < view.height; ++y) {
            for (int x = 0; x < view.width; ++x) {
                const std::int64_t dx = x - c.originX;
                const std::int64_t dy = y - c.originY;
                const bool inside = dx >= 0 && dy >= 0 && dx < std::int64_t{w} * c.zoom &&
                                    dy < std::int64_t{h} * c.zoom;
                const std::uint32_t expected =
                    inside ? flat[static_cast<std::size_t>(dy / c.zoom * w + dx / c.zoom)]
                           : kPreviewGreyRgb32;
                ASSERT_EQ(view.at(x, y), expected) << "seed " << seed << " at " << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Zooms, ZoomedPixels,
                         testing::Values(ZoomCase{1, 0, 0}, ZoomCase{1, 7, 3}, ZoomCase{2, -3, 5},
                                         ZoomCase{3, 4, -7}, ZoomCase{8, -13, -11},
                                         ZoomCase{16, 5, 2}, ZoomCase{5, 70, 10},
                                         ZoomCase{7, -500, 0}));

// A renderer that keeps its view and redraws only what changed must leave the same pixels
// as a fresh renderer drawing a fresh buffer, through changes of size, zoom, position and
// background.
TEST(FrameRenderer, IncrementalFramesEqualFullRedraws) {
    const Palette palette = test_palette();
    std::vector<CollectionImage> frames;
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        const int w = 3 + static_cast<int>(seed * 7 % 11);
        const int h = 2 + static_cast<int>(seed * 5 % 9);
        frames.push_back(image_of(w, h, test::mixed_rle(w, h, seed)));
    }
    const Background backgrounds[] = {
        {}, {Backdrop::Checkerboard, 0}, {Backdrop::Colour, 0x102030}};
    View view(53, 41);
    FrameRenderer playing;
    int step = 0;
    for (const Background& background : backgrounds) {
        for (int zoom : {1, 3, 4}) {
            for (std::size_t f = 0; f < frames.size(); ++f, ++step) {
                FrameScene scene;
                scene.current = {&frames[f], &palette};
                scene.onion[0] = {&frames[(f + 5) % frames.size()], &palette};
                scene.zoom = zoom;
                scene.originX = step % 4 == 0 ? -2 : 5;
                scene.originY = 3 - step % 3;
                scene.background = background;
                playing.render(scene, view.buffer());

                View fresh(view.width, view.height, 0x12345678);
                FrameRenderer once;
                once.render(scene, fresh.buffer());
                ASSERT_EQ(view.pixels, fresh.pixels) << "step " << step;
            }
        }
    }
}

// Frames of one size at one place: only the changed columns of each row are written again.
TEST(FrameRenderer, FramesOfOneSizeEqualFullRedraws) {
    const Palette palette = test_palette();
    std::vector<CollectionImage> frames;
    for (std::uint32_t seed = 1; seed <= 5; ++seed)
        frames.push_back(image_of(12, 9, test::mixed_rle(12, 9, seed)));
    frames.push_back(frames[2]);  // an unchanged frame
    View view(70, 50);
    FrameRenderer playing;
    for (int round = 0; round < 2; ++round) {
        for (std::size_t f = 0; f < frames.size(); ++f) {
            FrameScene scene;
            scene.current = {&frames[f], &palette};
            scene.onion[1] = {&frames[(f + 1) % frames.size()], &palette};
            scene.onionOpacity = static_cast<std::uint8_t>(round == 0 ? 100 : 0);
            scene.zoom = 5;
            scene.originX = 9;
            scene.originY = -4;
            playing.render(scene, view.buffer());
            View fresh(view.width, view.height);
            FrameRenderer once;
            once.render(scene, fresh.buffer());
            ASSERT_EQ(view.pixels, fresh.pixels) << "frame " << f;
        }
    }
}

TEST(FrameRenderer, PlaybackStopsGrowingItsBuffers) {
    const Palette palette = test_palette();
    const CollectionImage big = image_of(40, 30, test::mixed_rle(40, 30, 3));
    const CollectionImage small = image_of(9, 7, test::mixed_rle(9, 7, 4));
    View view(200, 150);
    FrameRenderer renderer;
    FrameScene scene;
    scene.zoom = 4;
    scene.onion[0] = {&small, &palette};
    std::size_t held = 0;
    for (int i = 0; i < 50; ++i) {
        scene.current = {i % 2 ? &small : &big, &palette};
        scene.onion[0] = {i % 2 ? &big : &small, &palette};
        renderer.render(scene, view.buffer());
        if (i == 3) held = renderer.capacity_bytes();  // after one round of the frames
        if (i > 3) {
            ASSERT_EQ(renderer.capacity_bytes(), held);
        }
    }
}

// One pixel of each layer, blended by hand: ((255 - a) * below + a * colour) / 255.
TEST(FrameRenderer, OnionLayersBlendUnderTheCurrentFrame) {
    Palette palette{};
    palette[1] = 0xFF0000;
    palette[2] = 0x00FF00;
    palette[3] = 0x0000FF;
    const CollectionImage red = image_of(1, 1, {6, 1, 255});
    const CollectionImage green = image_of(1, 1, {6, 2, 255});
    const CollectionImage halfBlue = image_of(1, 1, {6, 3, 128});
    const CollectionImage clear = image_of(1, 1, {4});
    struct Case {
        const CollectionImage* previous;
        const CollectionImage* next;
        const CollectionImage* current;
        std::uint8_t opacity;
        std::uint32_t expected;
        const CollectionImage* reference = nullptr;
    };
    const Case cases[] = {
        {&red, nullptr, &clear, 255, 0xFFFF0000},          // a fully opaque onion is the colour
        {&red, nullptr, &clear, 128, 0xFFB13131},          // 128 over grey: (177, 49, 49)
        {&red, nullptr, &clear, 0, 0xFF646464},            // opacity 0: the grey
        {&red, nullptr, &green, 128, 0xFF00FF00},          // an opaque current hides the onion
        {&red, nullptr, &halfBlue, 128, 0xFF581898},       // (88, 24, 152)
        {&red, &green, &clear, 128, 0xFF589818},           // green 128 over (177, 49, 49)
        {nullptr, nullptr, &halfBlue, 128, 0xFF3131B1},    // the preview's own blend
        {nullptr, &green, &clear, 128, 0xFF31B131},        // the next frame alone
        {nullptr, &green, &clear, 128, 0xFF589818, &red},  // the reference lies under both
    };
    for (const Case& c : cases) {
        FrameScene scene;
        scene.current = {c.current, &palette};
        scene.onion[0] = {c.previous, &palette};
        scene.onion[1] = {c.next, &palette};
        scene.reference = {c.reference, &palette};
        scene.onionOpacity = c.opacity;
        View view(1, 1);
        FrameRenderer renderer;
        renderer.render(scene, view.buffer());
        EXPECT_EQ(view.at(0, 0), c.expected) << std::hex << c.expected;
    }
}

TEST(FrameRenderer, BackgroundsShowWhereNothingIsDrawn) {
    const Palette palette = test_palette();
    const CollectionImage image = image_of(2, 1, {4, 6, 9, 255});
    View view(32, 16);
    FrameRenderer renderer;
    FrameScene scene;
    scene.current = {&image, &palette};
    scene.zoom = 4;
    scene.background = {Backdrop::Colour, 0xABCDEF};
    renderer.render(scene, view.buffer());
    EXPECT_EQ(view.at(0, 0), 0xFFABCDEFu);               // transparent pixel
    EXPECT_EQ(view.at(5, 3), 0xFF000000u | palette[9]);  // opaque pixel
    EXPECT_EQ(view.at(20, 10), 0xFFABCDEFu);             // outside the image

    scene.background = {Backdrop::Checkerboard, 0};
    renderer.render(scene, view.buffer());
    // Squares of 8 / 4 = 2 image pixels, 8 view pixels, from the image's corner.
    EXPECT_EQ(view.at(0, 0), 0xFF000000u | kCheckerLight);
    EXPECT_EQ(view.at(8, 0), 0xFF000000u | kCheckerDark);
    EXPECT_EQ(view.at(8, 8), 0xFF000000u | kCheckerLight);
    EXPECT_EQ(view.at(31, 0), 0xFF000000u | kCheckerDark);
    EXPECT_EQ(view.at(31, 8), 0xFF000000u | kCheckerLight);
}

TEST(FrameRenderer, InspectsTheDecodedPixelsOfTheCurrentFrame) {
    const Palette palette = test_palette();
    const auto data = test::mixed_rle(9, 6, 7);
    const CollectionImage image = image_of(9, 6, data);
    FrameRenderer renderer;
    FrameScene scene;
    scene.current = {&image, &palette};
    View view(20, 20);
    renderer.render(scene, view.buffer());
    std::vector<bool> seen(9 * 6, false);
    for (const auto& p : test::reference_decode(data, 9, false)) {
        if (p.x >= 9 || p.y >= 6) continue;
        seen[static_cast<std::size_t>(p.y * 9 + p.x)] = true;
        const auto got = renderer.pixel_at(p.x, p.y);
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(got->pixel.kind, p.kind);
        EXPECT_EQ(got->pixel.alpha, p.alpha);
        EXPECT_EQ(got->pixel.index, p.index);
        EXPECT_EQ(got->colour,
                  p.kind == 1 || p.kind == 2 ? palette[static_cast<std::size_t>(p.index)] : 0u);
    }
    for (int i = 0; i < 9 * 6; ++i)
        EXPECT_EQ(renderer.pixel_at(i % 9, i / 9).has_value(), seen[static_cast<std::size_t>(i)]);
    EXPECT_FALSE(renderer.pixel_at(-1, 0));
    EXPECT_FALSE(renderer.pixel_at(9, 0));
}

TEST(DrawRgba, KeepsAlphaAndScales) {
    Palette palette{};
    palette[5] = 0x112233;
    const CollectionImage image = image_of(3, 1, {4, 6, 5, 64, 7, 200});
    std::vector<std::uint32_t> out(6 * 2, 0x99999999);
    draw_rgba(image, palette, 2, out.data(), 6, 2, 6);
    const std::uint32_t row[] = {0, 0, 0x40112233, 0x40112233, 0xC8000000, 0xC8000000};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(out[static_cast<std::size_t>(y * 6 + x)], row[x]);
}

struct MappingCase {
    const char* what;
    int sequence;
    int frame;
    int direction;
    int slot;  // -1: an empty cell
    const char* reason;
    NoImage missing = NoImage::None;
};

class FrameMapping : public testing::TestWithParam<MappingCase> {};

// Sequence 0 shows collection 1 (3 frames x 4 directions) through image indexes 2, 0, -1,
// 3, 1; sequence 1 names collection 7, which the sprite lacks.
TEST_P(FrameMapping, FindsTheImageOrSaysWhyNot) {
    const MappingCase c = GetParam();
    auto doc = test::make_document(
        {.sequences = 2, .framesPerSequence = 5, .collections = {{1, 1}, {3, 4}}});
    Sequence& s = doc->sequences[0];
    s.collectionIndex = 1;
    const std::int16_t indexes[] = {2, 0, -1, 3, 1};
    for (int q = 0; q < 5; ++q) {
        s.imageIndex[static_cast<std::size_t>(q)] = indexes[q];
        s.frameValue[static_cast<std::size_t>(q)] = 100 + q;
    }
    doc->sequences[1].collectionIndex = 7;

    const FrameImage got = sequence_frame_image(*doc, c.sequence, c.frame, c.direction);
    EXPECT_EQ(got.slot, c.slot);
    EXPECT_EQ(got.found(), c.slot >= 0);
    EXPECT_EQ(got.reason, c.reason);
    EXPECT_EQ(got.missing, c.missing);
    if (got.found()) {
        EXPECT_EQ(got.collection, 1);
        EXPECT_EQ(got.collectionFrame, indexes[c.frame]);
        EXPECT_EQ(got.frameValue, 100 + c.frame);
        EXPECT_EQ(got.slot, got.collectionFrame * 4 + c.direction);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrameMapping,
    testing::Values(
        MappingCase{"first", 0, 0, 0, 8, ""}, MappingCase{"direction", 0, 0, 3, 11, ""},
        MappingCase{"second", 0, 1, 2, 2, ""}, MappingCase{"last", 0, 4, 1, 5, ""},
        MappingCase{"negative index", 0, 2, 0, -1, "Collection 1 has no frame -1: it has 3 frames",
                    NoImage::NoCollectionFrame},
        MappingCase{"index beyond", 0, 3, 0, -1, "Collection 1 has no frame 3: it has 3 frames",
                    NoImage::NoCollectionFrame},
        MappingCase{"direction beyond", 0, 0, 4, -1,
                    "Collection 1 has no direction 4: it has 4 directions", NoImage::NoDirection},
        MappingCase{"negative direction", 0, 0, -1, -1,
                    "Collection 1 has no direction -1: it has 4 directions", NoImage::NoDirection},
        MappingCase{"frame beyond", 0, 5, 0, -1, "Sequence 0 has no frame 5: it has 5 frames",
                    NoImage::NoSequenceFrame},
        MappingCase{"missing collection", 1, 0, 0, -1,
                    "Collection 7 is not in the sprite, which has 2 collections",
                    NoImage::NoCollection},
        MappingCase{"missing sequence", 2, 0, 0, -1,
                    "Sequence 2 is not in the sprite, which has 2 sequences", NoImage::NoSequence},
        MappingCase{"negative sequence", -1, 0, 0, -1,
                    "Sequence -1 is not in the sprite, which has 2 sequences",
                    NoImage::NoSequence}),
    [](const testing::TestParamInfo<MappingCase>& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            if (ch == ' ') ch = '_';
        return name;
    });

TEST(FrameMapping, HostileCountsStayInsideTheTables) {
    auto doc = test::make_document({.sequences = 1, .collections = {{2, 2}}});
    doc->sequenceCount = 1000;
    doc->collectionCount = -3;
    doc->sequences[0].frameCount = 5000;
    EXPECT_EQ(sequence_length(*doc, 0), kMaxSequenceFrames);
    EXPECT_EQ(sequence_length(*doc, 60), 0);
    EXPECT_FALSE(sequence_frame_image(*doc, 49, 99, 0).found());
    EXPECT_EQ(sequence_frame_image(*doc, 50, 0, 0).reason,
              "Sequence 50 is not in the sprite, which has 50 sequences");
    EXPECT_EQ(collection_image(*doc, 0, 0, 0).reason,
              "Collection 0 is not in the sprite, which has 0 collections");
}

}  // namespace
}  // namespace dabro

namespace dabro {
namespace {

// Each layer drawn by box lies at its own place in the frame: every view pixel shows the
// image pixel placed under it, and nothing is composed beyond the view, however far apart
// the layers' boxes put them.
TEST(FrameRenderer, LayersDrawnAtTheirPlacesMatchAShiftedPreview) {
    const Palette palette = test_palette();
    const int w = 9;
    const int h = 7;
    const CollectionImage image = image_of(w, h, test::mixed_rle(w, h, 3));
    std::vector<std::uint32_t> flat(static_cast<std::size_t>(w) * h);
    render_image_into(image, palette, flat.data(), w, h, w);
    struct Case {
        std::int64_t x, y;  // the image's place in the frame
        int zoom;
        std::int64_t originX, originY;
    };
    const Case cases[] = {{0, 0, 1, 0, 0},
                          {20, 12, 2, -30, 4},
                          {-5, -3, 3, 20, 25},
                          {7, -9, 8, -40, 60},
                          {-2000000000, 0, 1, 5, 5}};
    for (const Case& c : cases) {
        View view(61, 47);
        FrameRenderer renderer;
        FrameScene scene;
        scene.current = {&image, &palette, c.x, c.y};
        // A far-away onion must cost nothing.
        scene.onion[0] = {&image, &palette, 2000000000, 2000000000};
        scene.zoom = c.zoom;
        scene.originX = c.originX;
        scene.originY = c.originY;
        renderer.render(scene, view.buffer());
        for (int y = 0; y < view.height; ++y) {
            for (int x = 0; x < view.width; ++x) {
                const std::int64_t ix = floor_div(x - c.originX, c.zoom) - c.x;
                const std::int64_t iy = floor_div(y - c.originY, c.zoom) - c.y;
                const bool inside = ix >= 0 && iy >= 0 && ix < w && iy < h;
                const std::uint32_t expected =
                    inside ? flat[static_cast<std::size_t>(iy * w + ix)] : kPreviewGreyRgb32;
                ASSERT_EQ(view.at(x, y), expected) << c.x << "," << c.y << " at " << x << "," << y;
            }
        }
        EXPECT_LT(renderer.capacity_bytes(), std::size_t{1} << 20);
    }
}

}  // namespace
}  // namespace dabro
