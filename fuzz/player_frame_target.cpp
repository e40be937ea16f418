// Fuzz target: the player's frame drawing against a reference, with writes past rows caught.
#include <algorithm>
#include <optional>
#include <vector>

#include "fuzz/fuzz_target.h"
#include "fuzz/image_input.h"
#include "imaging/player_render.h"

namespace dabro::fuzz {

namespace {

// A small view with a margin past each row, to catch writes beyond the width.
constexpr int kViewWidth = 29;
constexpr int kViewHeight = 19;
constexpr std::ptrdiff_t kStride = 33;
constexpr std::uint32_t kMargin = 0xDEADBEEFu;

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if (a % b != 0 && (a < 0) != (b < 0)) --q;
    return q;
}

std::uint32_t reference_over(std::uint32_t below, std::uint32_t colour, std::uint32_t alpha) {
    std::uint32_t out = 0xFF000000u;
    for (int shift : {16, 8, 0}) {
        const std::uint32_t b = below >> shift & 0xFF;
        const std::uint32_t c = colour >> shift & 0xFF;
        out |= ((255 - alpha) * b + alpha * c) / 255 << shift;
    }
    return out;
}

// The pixels one layer delivers in a window of image pixels, by the reference walk.
struct Window {
    std::int64_t left;
    std::int64_t top;
    std::int64_t width;
    std::int64_t height;
};

std::vector<std::optional<RefPixel>> layer_pixels(const CollectionImage& image, const Window& w) {
    std::vector<std::optional<RefPixel>> out(static_cast<std::size_t>(w.width * w.height));
    const Extent extent = drawn_extent(image);
    reference_walk(usable_bytes(image), image.width, false, [&](const RefPixel& p) {
        if (p.x >= extent.width || p.y >= extent.height) return;
        if (p.x < w.left || p.y < w.top || p.x >= w.left + w.width || p.y >= w.top + w.height)
            return;
        out[static_cast<std::size_t>((p.y - w.top) * w.width + (p.x - w.left))] = p;
    });
    return out;
}

// Draws `scene` with a fresh renderer into a fresh buffer.
std::vector<std::uint32_t> fresh_render(const FrameScene& scene) {
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(kStride * kViewHeight), kMargin);
    FrameRenderer renderer;
    renderer.render(scene, {buffer.data(), kViewWidth, kViewHeight, kStride});
    return buffer;
}

// Every view pixel against the layers composed by the rules written out again.
void check_against_reference(const FrameScene& scene, const std::vector<std::uint32_t>& buffer) {
    const std::int64_t z = scene.zoom;
    const Window window{floor_div(-scene.originX, z), floor_div(-scene.originY, z),
                        kViewWidth / z + 2, kViewHeight / z + 2};
    std::int64_t w = 0;
    std::int64_t h = 0;
    std::vector<const Layer*> layers;
    for (const Layer* layer : {&scene.onion[0], &scene.onion[1], &scene.current}) {
        if (layer->image == nullptr) continue;
        if (layer != &scene.current && scene.onionOpacity == 0) continue;
        layers.push_back(layer);
        const Extent e = drawn_extent(*layer->image);
        FUZZ_CHECK(e.width <= std::max(layer->image->width, 0) &&
                   e.height <= std::max(layer->image->height, 0));
        if (e.width == 0 || e.height == 0) continue;
        w = std::max<std::int64_t>(w, e.width);
        h = std::max<std::int64_t>(h, e.height);
    }
    std::vector<std::vector<std::optional<RefPixel>>> decoded;
    for (const Layer* layer : layers) decoded.push_back(layer_pixels(*layer->image, window));

    const std::int64_t side = std::max<std::int64_t>(1, kCheckerScreenPixels / z) * z;
    for (int vy = 0; vy < kViewHeight; ++vy) {
        for (std::ptrdiff_t vx = 0; vx < kStride; ++vx) {
            const std::uint32_t got = buffer[static_cast<std::size_t>(vy * kStride + vx)];
            if (vx >= kViewWidth) {
                FUZZ_CHECK(got == kMargin);
                continue;
            }
            std::uint32_t expected = 0xFF000000u | kGreyColour;
            if (scene.background.kind == Backdrop::Colour)
                expected = 0xFF000000u | (scene.background.colour & 0xFFFFFF);
            if (scene.background.kind == Backdrop::Checkerboard) {
                const std::int64_t cells =
                    floor_div(vx - scene.originX, side) + floor_div(vy - scene.originY, side);
                expected = 0xFF000000u | ((cells & 1) != 0 ? kCheckerDark : kCheckerLight);
            }
            const std::int64_t ix = floor_div(vx - scene.originX, z);
            const std::int64_t iy = floor_div(vy - scene.originY, z);
            if (ix >= 0 && iy >= 0 && ix < w && iy < h) {
                for (std::size_t l = 0; l < layers.size(); ++l) {
                    const auto& p = decoded[l][static_cast<std::size_t>(
                        (iy - window.top) * window.width + (ix - window.left))];
                    if (!p || p->alpha == 0) continue;
                    const std::uint32_t colour =
                        p->kind == 1 || p->kind == 2 ? (*layers[l]->palette)[p->index] : 0;
                    const std::uint32_t alpha = layers[l] == &scene.current
                                                    ? p->alpha
                                                    : p->alpha * scene.onionOpacity / 255u;
                    expected = reference_over(expected, colour & 0xFFFFFF, alpha);
                }
            }
            FUZZ_CHECK(got == expected);
        }
    }
}

}  // namespace

// The input: zoom, two origin bytes, an options byte, then an image as the image targets
// read it. The onion layers are the same data laid out one pixel narrower, and as is.
int player_frame(Input input) {
    if (input.size() < 4) return 0;
    const std::uint8_t options = input[3];
    const CollectionImage image = image_from(input.subspan(4));
    CollectionImage narrower = image;
    if (narrower.width > 1) --narrower.width;
    const Palette palette = test_palette();
    Palette other = palette;
    std::rotate(other.begin(), other.begin() + 7, other.end());

    FrameScene scene;
    scene.zoom = 1 + input[0] % kMaxZoom;
    scene.originX = static_cast<std::int8_t>(input[1]);
    scene.originY = static_cast<std::int8_t>(input[2]);
    scene.onionOpacity = static_cast<std::uint8_t>(options & 0xF0 ? options | 0x0F : 0);
    switch (options & 3) {
        case 1:
            scene.background = {Backdrop::Checkerboard, 0};
            break;
        case 2:
            scene.background = {Backdrop::Colour, 0xFF000000u | options * 0x010203u};
            break;
        default:
            break;
    }
    scene.current = {&image, &palette};
    if (options & 4) scene.onion[0] = {&narrower, &other};
    if (options & 8) scene.onion[1] = {&image, &other};

    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(kStride * kViewHeight), kMargin);
    const ViewBuffer view{buffer.data(), kViewWidth, kViewHeight, kStride};
    FrameRenderer renderer;
    renderer.render(scene, view);
    check_against_reference(scene, buffer);

    // The inspector reports the current image's pixels as the walk delivers them.
    const Extent extent = drawn_extent(image);
    reference_walk(usable_bytes(image), image.width, false, [&](const RefPixel& p) {
        if (p.x >= std::min<std::int64_t>(extent.width, 8) || p.y >= std::min(extent.height, 8))
            return;
        const auto got = renderer.pixel_at(p.x, p.y);
        FUZZ_CHECK(got.has_value());
        FUZZ_CHECK(got->pixel.kind == p.kind && got->pixel.alpha == p.alpha &&
                   got->pixel.index == p.index);
    });
    FUZZ_CHECK(!renderer.pixel_at(-1, 0) && !renderer.pixel_at(extent.width, 0));

    // The next frame, drawn over the last one, equals a fresh drawing of it.
    FrameScene next = scene;
    next.current = {&narrower, &other};
    next.onion[0] = {&image, &palette};
    next.onion[1] = {};
    renderer.render(next, view);
    FUZZ_CHECK(buffer == fresh_render(next));
    renderer.render(scene, view);
    FUZZ_CHECK(buffer == fresh_render(scene));
    return 0;
}

}  // namespace dabro::fuzz
