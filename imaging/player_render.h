// The player's frame renderer: layers composed over a background, zoomed into a view.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/sprite_document.h"
#include "imaging/frame_lookup.h"
#include "imaging/placement.h"
#include "imaging/render.h"
#include "imaging/rle.h"

namespace dabro {

// The preview's grey as a colour 0x00RRGGBB.
inline constexpr std::uint32_t kGreyColour = kPreviewGreyRgb32 & 0xFFFFFFu;

// What lies behind the images.
enum class Backdrop : std::uint8_t { Grey, Checkerboard, Colour };

struct Background {
    Backdrop kind = Backdrop::Grey;
    std::uint32_t colour = kGreyColour;  // 0x00RRGGBB, used by Backdrop::Colour
    bool operator==(const Background&) const = default;
};

// The checkerboard's squares are whole image pixels, kCheckerScreenPixels / zoom of them a
// side (at least one), so a half-transparent pixel blends with one square only.
inline constexpr std::uint32_t kCheckerLight = 0x9C9C9C;
inline constexpr std::uint32_t kCheckerDark = 0x6A6A6A;
inline constexpr int kCheckerScreenPixels = 8;

// a / b rounded down (b > 0): the image pixel of a view pixel at zoom b, the checker cell of a
// view pixel of cell side b.
inline constexpr std::int64_t floor_div(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// One image with the palette it is drawn with, its top-left pixel at frame pixel (x, y); an
// image of null draws nothing.
struct Layer {
    const CollectionImage* image = nullptr;
    const Palette* palette = nullptr;
    std::int64_t x = 0;
    std::int64_t y = 0;
};

// What one frame of the player shows. The frame point (0, 0) lands at view pixel
// (originX, originY); each frame pixel covers zoom x zoom view pixels. The reference and the
// onion layers are drawn first, each at onionOpacity (0..255) times its own alpha, then the
// current one.
struct FrameScene {
    Layer current;
    Layer onion[2];
    Layer reference;
    std::uint8_t onionOpacity = 96;
    int zoom = 1;  // 1..kMaxZoom
    std::int64_t originX = 0;
    std::int64_t originY = 0;
    Background background;
};

// A caller's 32-bit buffer, 0xFFRRGGBB per pixel (QImage::Format_RGB32), `stride` pixels
// from one row to the next.
struct ViewBuffer {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
};

// One decoded pixel of the current image, for the inspector.
struct InspectedPixel {
    RlePixel pixel;
    std::uint32_t colour = 0;  // the palette entry, or 0 (black) for kinds 0 and 3
};

// Draws frames for the player. Each image is decoded once into straight colours and kept
// while its data, size and palette stay the same (as many images as a sequence has frames),
// so a looping sequence is decoded only in its first round. The layers are composed at the images'
// own size (background, onion layers, current image), then each composed pixel is written zoom x
// zoom times into the view, row by row, with every further view row of the same image row copied
// from the one above. Only what changed since the last frame is written again: composed rows equal
// to the last frame's are skipped, and the background outside the images is filled only where the
// last frame's images were. Buffers grow to the largest frame seen and are then reused, so playback
// allocates nothing per frame.
class FrameRenderer {
  public:
    void render(const FrameScene& scene, const ViewBuffer& view);
    // The view's pixels are no longer what the last render left (a new buffer, or one
    // drawn over): the next render writes every pixel.
    void invalidate() { drawnValid_ = false; }

    // The current image's pixel at (x, y) of its own size (not of the frame), as of the last
    // render; nothing outside the image or where its data do not reach.
    std::optional<InspectedPixel> pixel_at(std::int64_t x, std::int64_t y) const;

    // The bytes the renderer holds, for checking that playback stops growing them.
    std::size_t capacity_bytes() const;

  private:
    // One image decoded with one palette, and what it was decoded from.
    struct Decoded {
        const CollectionImage* image = nullptr;
        std::int32_t nominalWidth = 0;
        std::int32_t nominalHeight = 0;
        bool reusable = false;
        std::vector<std::uint8_t> data;
        Palette palette{};
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::vector<std::uint32_t> colours;  // straight 0xAARRGGBB; 0 where nothing is drawn
        std::uint64_t lastUse = 0;
    };
    // Every frame of a sequence and a few more, so a looping sequence is decoded once; at
    // most kMaxKeptPixels decoded pixels in all (hostile sizes evict older images).
    static constexpr std::size_t kDecodedKept = kMaxSequenceFrames + 4;
    void keep_within_budget(const Decoded& keep);

    const Decoded* decoded(const Layer& layer);
    void compose(const FrameScene& scene, const ViewBuffer& view);
    void expand(const FrameScene& scene, const ViewBuffer& view, const Area& area,
                bool onlyChanges) const;
    void fill_background(const FrameScene& scene, const ViewBuffer& view, const Area& area,
                         const Area& except) const;

    std::vector<Decoded> decoded_ = std::vector<Decoded>(kDecodedKept);
    std::uint64_t clock_ = 0;
    const Decoded* current_ = nullptr;

    std::vector<std::uint32_t> composed_;
    std::vector<std::uint32_t> previous_;  // the last frame's composed pixels
    std::vector<std::uint32_t> rows_;      // padded layer rows, and a row of nothing
    // The frame pixels the composed pixels cover, row by row: the layers' placed rectangles,
    // cut to what the view shows, so a hostile box costs no memory (empty: nothing composed).
    Area composedArea_;
    Area previousArea_;  // those of previous_

    // What the view holds since the last render.
    bool drawnValid_ = false;
    ViewBuffer drawnView_;
    Background drawnBackground_;
    int drawnZoom_ = 0;
    std::int64_t drawnOriginX_ = 0;
    std::int64_t drawnOriginY_ = 0;
    Area drawnImages_;
};

// Draws an image as straight (not premultiplied) 0xAARRGGBB, each pixel as a zoom x zoom
// block, over what the buffer holds: pixels of alpha 0 are written as 0. Nothing is drawn
// beyond the image's width and height or beyond the buffer.
void draw_rgba(const CollectionImage& image, const Palette& palette, int zoom,
               std::uint32_t* pixels, std::int32_t width, std::int32_t height,
               std::ptrdiff_t stridePixels);

}  // namespace dabro
