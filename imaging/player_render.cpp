// The player's frame renderer: decoding kept per image, composing, zooming into the view.
#include "imaging/player_render.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace dabro {

namespace {

// ((255 - alpha) * below + alpha * colour) / 255 per channel, red and blue side by side in
// one word: each lane's sum stays below 65536, and (v + 1 + (v >> 8)) >> 8 is v / 255 for
// every such v. Over the grey this is the preview's blend.
inline std::uint32_t over(std::uint32_t below, std::uint32_t colour, std::uint32_t alpha) {
    const std::uint32_t rest = 255 - alpha;
    std::uint32_t rb = (below & 0xFF00FFu) * rest + (colour & 0xFF00FFu) * alpha;
    std::uint32_t g = ((below >> 8 & 0xFFu) * rest + (colour >> 8 & 0xFFu) * alpha);
    rb = ((rb + 0x00010001u + (rb >> 8 & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    g = (g + 1 + (g >> 8)) >> 8;
    return 0xFF000000u | rb | g << 8;
}

inline std::uint32_t colour_of(const RlePixel& p, const Palette& palette) {
    return p.uses_palette() ? palette[p.index] & 0xFFFFFFu : 0u;
}

int checker_cell(int zoom) {
    return std::max(1, kCheckerScreenPixels / zoom);
}

std::uint32_t solid_of(const Background& b) {
    return 0xFF000000u | (b.kind == Backdrop::Colour ? b.colour & 0xFFFFFFu : kGreyColour);
}

inline std::uint32_t checker_at(std::int64_t cellX, std::int64_t cellY) {
    return 0xFF000000u | (((cellX + cellY) & 1) != 0 ? kCheckerDark : kCheckerLight);
}

// Writes `v` into d[0..n).
[[gnu::always_inline]] inline void put(std::uint32_t* d, std::int64_t n, std::uint32_t v) {
    for (std::int64_t i = 0; i < n; ++i) d[i] = v;
}

// One view row of the images: view columns [left, right), image pixel sx covering columns
// originX + sx * Z to originX + (sx + 1) * Z - 1.
template <int Z>
[[gnu::always_inline]] inline void expand_row(const std::uint32_t* src, std::uint32_t* row,
                                              std::int64_t left, std::int64_t right,
                                              std::int64_t originX) {
    const std::int64_t offset = left - originX;
    std::int64_t sx = offset / Z;
    std::uint32_t* d = row + left;
    std::uint32_t* const end = row + right;
    if constexpr (Z == 1) {
        std::memcpy(d, src + sx, static_cast<std::size_t>(end - d) * sizeof(std::uint32_t));
    } else {
        const std::int64_t lead = std::min<std::int64_t>(Z - offset % Z, end - d);
        put(d, lead, src[sx++]);
        d += lead;
        for (; end - d >= Z; d += Z) {
            const std::uint32_t v = src[sx++];
            for (int i = 0; i < Z; ++i) d[i] = v;
        }
        if (d < end) put(d, end - d, src[sx]);
    }
}

template <int... Z>
[[gnu::always_inline]] inline void expand_any_zoom(int z, std::integer_sequence<int, Z...>,
                                                   const std::uint32_t* src, std::uint32_t* row,
                                                   std::int64_t left, std::int64_t right,
                                                   std::int64_t originX) {
    (void)((z == Z + 1 ? (expand_row<Z + 1>(src, row, left, right, originX), true) : false) || ...);
}

// Built twice on x86-64, and chosen when the program starts: with AVX2's wider stores where
// the processor has them, else for any x86-64.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void expand_zoomed_row(int z, const std::uint32_t* src, std::uint32_t* row, std::int64_t left,
                       std::int64_t right, std::int64_t originX) {
    expand_any_zoom(z, std::make_integer_sequence<int, kMaxZoom>{}, src, row, left, right, originX);
}

// Blends over the background in `row` the N rows under the current image (bottom first, each
// pixel at its alpha faded by the onion opacity), then the current image's row `top`. N is
// fixed for the loop, so a layer absent from the row costs nothing per pixel.
template <int N>
void blend_row(std::uint32_t* row, std::int32_t w, const std::uint32_t* top,
               const std::uint32_t* const* under, const std::array<std::uint8_t, 256>& faded) {
    for (std::int32_t x = 0; x < w; ++x) {
        const std::uint32_t t = top[x];
        if (t >= 0xFF000000u) {
            row[x] = t;
            continue;
        }
        std::uint32_t out = row[x];
        for (int k = 0; k < N; ++k) {
            const std::uint32_t u = under[k][x];
            if (u != 0) out = over(out, u, faded[u >> 24]);
        }
        if (t != 0) out = over(out, t, t >> 24);
        row[x] = out;
    }
}

}  // namespace

void FrameRenderer::compose(const FrameScene& scene, const ViewBuffer& view) {
    ++clock_;
    const std::uint32_t opacity = scene.onionOpacity;
    const Layer* layers[4] = {&scene.current, &scene.reference, &scene.onion[0], &scene.onion[1]};
    const Decoded* drawn[4] = {decoded(scene.current)};
    for (int i = 1; i < 4; ++i) drawn[i] = opacity > 0 ? decoded(*layers[i]) : nullptr;
    current_ = drawn[0];

    std::swap(composed_, previous_);
    previousArea_ = composedArea_;
    // The layers' placed rectangles, joined, and cut to the frame pixels the view shows.
    Area area;
    for (int i = 0; i < 4; ++i) {
        const Decoded* d = drawn[i];
        if (d == nullptr || d->width == 0 || d->height == 0) continue;
        const Area placed{layers[i]->x, layers[i]->y, layers[i]->x + d->width,
                          layers[i]->y + d->height};
        area = area.joined(placed);
    }
    const int z = scene.zoom;
    if (view.pixels == nullptr || view.width <= 0 || view.height <= 0) {
        area = {};
    } else {
        area.left = std::max(area.left, floor_div(-scene.originX, z));
        area.top = std::max(area.top, floor_div(-scene.originY, z));
        area.right = std::min(area.right, floor_div(view.width - 1 - scene.originX, z) + 1);
        area.bottom = std::min(area.bottom, floor_div(view.height - 1 - scene.originY, z) + 1);
        if (area.empty()) area = {};
    }
    const std::int32_t w = static_cast<std::int32_t>(area.right - area.left);
    const std::int32_t h = static_cast<std::int32_t>(area.bottom - area.top);
    composedArea_ = area;
    const auto pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    if (composed_.size() < pixels) composed_.resize(pixels);
    if (pixels == 0) return;
    // An onion pixel of alpha a is drawn at a x opacity / 255.
    std::array<std::uint8_t, 256> faded{};
    for (std::uint32_t a = 0; a < 256; ++a) faded[a] = static_cast<std::uint8_t>(a * opacity / 255);

    const bool checker = scene.background.kind == Backdrop::Checkerboard;
    const std::uint32_t solid = solid_of(scene.background);
    const int cell = checker_cell(scene.zoom);
    // Every layer's row as w pixels: its own when it is w wide, else a copy padded with
    // nothing drawn, so the loop below needs no bounds.
    const auto width = static_cast<std::size_t>(w);
    if (rows_.size() < 5 * width) rows_.resize(5 * width);
    const std::uint32_t* const nothing = rows_.data() + 4 * width;
    std::fill_n(rows_.begin() + static_cast<std::ptrdiff_t>(4 * width), width, 0u);
    auto row_of = [&](int i, std::int32_t y, std::size_t scratch) {
        const Decoded* d = drawn[i];
        const std::int64_t ly = area.top + y - layers[i]->y;
        if (d == nullptr || ly < 0 || ly >= d->height || d->width == 0) return nothing;
        const std::uint32_t* own =
            d->colours.data() + static_cast<std::size_t>(ly) * static_cast<std::size_t>(d->width);
        const std::int64_t lx = area.left - layers[i]->x;
        if (lx == 0 && d->width == w) return own;
        std::uint32_t* copy = rows_.data() + scratch * width;
        const std::int64_t from = std::clamp<std::int64_t>(-lx, 0, w);
        const std::int64_t to = std::clamp<std::int64_t>(d->width - lx, from, w);
        std::fill(copy, copy + from, 0u);
        std::copy(own + lx + from, own + lx + to, copy + from);
        std::fill(copy + to, copy + width, 0u);
        return static_cast<const std::uint32_t*>(copy);
    };
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint32_t* row = composed_.data() + static_cast<std::size_t>(y) * width;
        if (checker) {
            const std::int64_t cellY = floor_div(area.top + y, cell);
            for (std::int32_t x = 0; x < w; ++x)
                row[x] = checker_at(floor_div(area.left + x, cell), cellY);
        } else {
            std::fill_n(row, w, solid);
        }
        // The layers under the current image that have pixels in this row, bottom first.
        const std::uint32_t* under[3];
        int n = 0;
        for (int i = 1; i < 4; ++i) {
            const std::uint32_t* u = row_of(i, y, static_cast<std::size_t>(i));
            if (u != nothing) under[n++] = u;
        }
        const std::uint32_t* top = row_of(0, y, 0);
        switch (n) {
            case 0:
                blend_row<0>(row, w, top, under, faded);
                break;
            case 1:
                blend_row<1>(row, w, top, under, faded);
                break;
            case 2:
                blend_row<2>(row, w, top, under, faded);
                break;
            default:
                blend_row<3>(row, w, top, under, faded);
                break;
        }
    }
}

void FrameRenderer::expand(const FrameScene& scene, const ViewBuffer& view, const Area& area,
                           bool onlyChanges) const {
    if (area.empty()) return;
    const int z = scene.zoom;
    const std::int64_t w = composedArea_.width();
    // The view pixel where composed pixel (0, 0) lands.
    const std::int64_t originX = scene.originX + composedArea_.left * z;
    const std::int64_t originY = scene.originY + composedArea_.top * z;
    std::int64_t sy = (area.top - originY) / z;
    std::int64_t vy = area.top;
    while (vy < area.bottom) {
        // The view rows of image row sy.
        const std::int64_t rowsEnd = std::min(area.bottom, originY + (sy + 1) * z);
        const std::uint32_t* src = composed_.data() + sy * w;
        std::int64_t left = area.left;
        std::int64_t right = area.right;
        if (onlyChanges) {
            // Only the columns between the first and the last changed pixel of the row.
            const std::uint32_t* old = previous_.data() + sy * w;
            std::int64_t first = 0;
            std::int64_t last = w;
            while (first < w && src[first] == old[first]) ++first;
            while (last > first && src[last - 1] == old[last - 1]) --last;
            left = std::max(left, originX + first * z);
            right = std::min(right, originX + last * z);
        }
        if (left < right) {
            std::uint32_t* row = view.pixels + vy * view.stride;
            expand_zoomed_row(z, src, row, left, right, originX);
            const auto bytes = static_cast<std::size_t>(right - left) * sizeof(std::uint32_t);
            for (std::int64_t y = vy + 1; y < rowsEnd; ++y)
                std::memcpy(view.pixels + y * view.stride + left, row + left, bytes);
        }
        vy = rowsEnd;
        ++sy;
    }
}

void FrameRenderer::fill_background(const FrameScene& scene, const ViewBuffer& view,
                                    const Area& area, const Area& except) const {
    if (area.empty()) return;
    const Background& b = scene.background;
    const std::uint32_t solid = solid_of(b);
    const std::int64_t side = std::int64_t{checker_cell(scene.zoom)} * scene.zoom;
    auto span = [&](std::int64_t vy, std::int64_t x0, std::int64_t x1) {
        if (x0 >= x1) return;
        std::uint32_t* row = view.pixels + vy * view.stride;
        if (b.kind != Backdrop::Checkerboard) {
            put(row + x0, x1 - x0, solid);
            return;
        }
        const std::int64_t cellY = floor_div(vy - scene.originY, side);
        std::int64_t x = x0;
        while (x < x1) {
            const std::int64_t cellX = floor_div(x - scene.originX, side);
            const std::int64_t next = std::min(x1, scene.originX + (cellX + 1) * side);
            put(row + x, next - x, checker_at(cellX, cellY));
            x = next;
        }
    };
    for (std::int64_t vy = area.top; vy < area.bottom; ++vy) {
        if (except.empty() || vy < except.top || vy >= except.bottom) {
            span(vy, area.left, area.right);
        } else {
            span(vy, area.left, std::min(area.right, except.left));
            span(vy, std::max(area.left, except.right), area.right);
        }
    }
}

void FrameRenderer::render(const FrameScene& sceneIn, const ViewBuffer& view) {
    FrameScene scene = sceneIn;
    scene.zoom = std::clamp(scene.zoom, 1, kMaxZoom);
    compose(scene, view);
    if (view.pixels == nullptr || view.width <= 0 || view.height <= 0) {
        drawnValid_ = false;
        return;
    }

    const Area whole{0, 0, view.width, view.height};
    Area images;
    if (!composedArea_.empty()) {
        const std::int64_t x0 = scene.originX + composedArea_.left * scene.zoom;
        const std::int64_t y0 = scene.originY + composedArea_.top * scene.zoom;
        images = {std::max<std::int64_t>(x0, 0), std::max<std::int64_t>(y0, 0),
                  std::min<std::int64_t>(x0 + composedArea_.width() * scene.zoom, view.width),
                  std::min<std::int64_t>(y0 + composedArea_.height() * scene.zoom, view.height)};
        if (images.empty()) images = {};
    }
    const bool sameSurroundings =
        drawnValid_ && drawnView_.pixels == view.pixels && drawnView_.width == view.width &&
        drawnView_.height == view.height && drawnView_.stride == view.stride &&
        drawnBackground_ == scene.background && drawnZoom_ == scene.zoom &&
        drawnOriginX_ == scene.originX && drawnOriginY_ == scene.originY;
    // Outside the images the view changes only where the last frame's images were, unless
    // the buffer, the background, the zoom or the position changed.
    fill_background(scene, view, sameSurroundings ? drawnImages_ : whole, images);
    const bool onlyChanges = sameSurroundings && previousArea_ == composedArea_;
    expand(scene, view, images, onlyChanges);

    drawnValid_ = true;
    drawnView_ = view;
    drawnBackground_ = scene.background;
    drawnZoom_ = scene.zoom;
    drawnOriginX_ = scene.originX;
    drawnOriginY_ = scene.originY;
    drawnImages_ = images;
}

void draw_rgba(const CollectionImage& image, const Palette& palette, int zoom,
               std::uint32_t* pixels, std::int32_t width, std::int32_t height,
               std::ptrdiff_t stridePixels) {
    const Extent extent = drawn_extent(image);
    if (extent.width == 0 || extent.height == 0 || width <= 0 || height <= 0) return;
    const std::int64_t z = std::clamp(zoom, 1, kMaxZoom);
    const std::int64_t w = extent.width;
    const std::int64_t h = extent.height;
    walk_rle<RowRule::Preview>(
        encoded_bytes(image), image.width, [&](std::int64_t x, std::int64_t y, const RlePixel& p) {
            if (y >= h || y * z >= height) return false;
            if (x >= w || x * z >= width) return true;
            const std::uint32_t value =
                p.alpha == 0 ? 0u : std::uint32_t{p.alpha} << 24 | colour_of(p, palette);
            const std::int64_t x1 = std::min<std::int64_t>((x + 1) * z, width);
            const std::int64_t y1 = std::min<std::int64_t>((y + 1) * z, height);
            for (std::int64_t vy = y * z; vy < y1; ++vy)
                put(pixels + vy * stridePixels + x * z, x1 - x * z, value);
            return true;
        });
}

}  // namespace dabro
