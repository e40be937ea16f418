#include "imaging/player_render.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace dabro {

namespace {

std::string count_of(std::int64_t n, const char* what) {
    return std::to_string(n) + ' ' + what;
}

}  // namespace

int sequence_length(const SpriteDocument& document, int sequence) {
    if (sequence < 0 || sequence >= std::min(document.sequenceCount, kMaxSequences)) return 0;
    return std::clamp(document.sequences[static_cast<std::size_t>(sequence)].frameCount, 0,
                      kMaxSequenceFrames);
}

FrameImage collection_image(const SpriteDocument& document, int collection, int frame,
                            int direction) {
    FrameImage cell;
    cell.collection = collection;
    cell.collectionFrame = frame;
    cell.direction = direction;
    const int collections = std::clamp(document.collectionCount, 0, kMaxCollections);
    if (collection < 0 || collection >= collections) {
        cell.reason = "Collection " + std::to_string(collection) +
                      " is not in the sprite, which has " + count_of(collections, "collections");
        return cell;
    }
    const ImageCollection& c = document.collections[static_cast<std::size_t>(collection)];
    if (frame < 0 || frame >= c.frames) {
        cell.reason = "Collection " + std::to_string(collection) + " has no frame " +
                      std::to_string(frame) + ": it has " +
                      count_of(std::max(c.frames, 0), "frames");
        return cell;
    }
    if (direction < 0 || direction >= c.directions) {
        cell.reason = "Collection " + std::to_string(collection) + " has no direction " +
                      std::to_string(direction) + ": it has " +
                      count_of(std::max(c.directions, 0), "directions");
        return cell;
    }
    cell.slot = c.slot_of(frame, direction);
    if (cell.slot < 0) {
        cell.reason = "Frame " + std::to_string(frame) + ", direction " +
                      std::to_string(direction) + " lies beyond the collection's " +
                      count_of(kMaxImageSlots, "image slots");
    }
    return cell;
}

FrameImage sequence_frame_image(const SpriteDocument& document, int sequence, int frame,
                                int direction) {
    const int sequences = std::clamp(document.sequenceCount, 0, kMaxSequences);
    if (sequence < 0 || sequence >= sequences) {
        FrameImage cell;
        cell.direction = direction;
        cell.reason = "Sequence " + std::to_string(sequence) + " is not in the sprite, which has " +
                      count_of(sequences, "sequences");
        return cell;
    }
    const Sequence& s = document.sequences[static_cast<std::size_t>(sequence)];
    const int frames = sequence_length(document, sequence);
    if (frame < 0 || frame >= frames) {
        FrameImage cell;
        cell.collection = s.collectionIndex;
        cell.direction = direction;
        cell.reason = "Sequence " + std::to_string(sequence) + " has no frame " +
                      std::to_string(frame) + ": it has " + count_of(frames, "frames");
        return cell;
    }
    const auto q = static_cast<std::size_t>(frame);
    FrameImage cell = collection_image(document, s.collectionIndex, s.imageIndex[q], direction);
    cell.frameValue = s.frameValue[q];
    return cell;
}

Extent drawn_extent(const CollectionImage& image) {
    if (image.width <= 0 || image.height <= 0) return {};
    Extent size{image.width, image.height};
    // Every pixel takes at least one byte in the encoding the program writes, so only data
    // shorter than the pixel count need the walk that finds what they reach.
    if (std::int64_t{image.width} * image.height >
        static_cast<std::int64_t>(encoded_bytes(image).size()))
        size = reachable_extent(image);
    return {std::min(size.width, kMaxLayerSide), std::min(size.height, kMaxLayerSide)};
}

namespace {

inline std::uint32_t mix(std::uint32_t below, std::uint32_t above, std::uint32_t alpha) {
    return ((255 - alpha) * below + alpha * above) / 255;
}

// `colour` (0x00RRGGBB) with `alpha` over `below` (0xFFRRGGBB), per channel
// ((255 - alpha) * below + alpha * colour) / 255: over the grey this is the preview's blend.
inline std::uint32_t over(std::uint32_t below, std::uint32_t colour, std::uint32_t alpha) {
    if (alpha == 255) return 0xFF000000u | colour;
    if (alpha == 0) return below;
    return 0xFF000000u | mix(below >> 16 & 0xFF, colour >> 16 & 0xFF, alpha) << 16 |
           mix(below >> 8 & 0xFF, colour >> 8 & 0xFF, alpha) << 8 |
           mix(below & 0xFF, colour & 0xFF, alpha);
}

inline std::uint32_t colour_of(const RlePixel& p, const Palette& palette) {
    return p.uses_palette() ? palette[p.index] & 0xFFFFFFu : 0u;
}

inline std::int64_t floor_div(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int checker_cell(int zoom) {
    return std::max(1, kCheckerScreenPixels / zoom);
}

std::uint32_t solid_of(const Background& b) {
    return 0xFF000000u | (b.kind == Backdrop::Colour ? b.colour & 0xFFFFFFu : kPreviewGrey);
}

inline std::uint32_t checker_at(std::int64_t cellX, std::int64_t cellY) {
    return 0xFF000000u | (((cellX + cellY) & 1) != 0 ? kCheckerDark : kCheckerLight);
}

// Writes `v` into d[0..n).
inline void put(std::uint32_t* d, std::int64_t n, std::uint32_t v) {
    for (std::int64_t i = 0; i < n; ++i) d[i] = v;
}

// One view row of the images: view columns [left, right), image pixel sx covering columns
// originX + sx * Z to originX + (sx + 1) * Z - 1.
template <int Z>
void expand_row(const std::uint32_t* src, std::uint32_t* row, std::int64_t left, std::int64_t right,
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

using ExpandRow = void (*)(const std::uint32_t*, std::uint32_t*, std::int64_t, std::int64_t,
                           std::int64_t);

template <int... Z>
constexpr auto expand_table(std::integer_sequence<int, Z...>) {
    return std::array<ExpandRow, sizeof...(Z)>{&expand_row<Z + 1>...};
}

constexpr auto kExpandRow = expand_table(std::make_integer_sequence<int, kMaxZoom>{});

}  // namespace

void FrameRenderer::draw_layer(const Layer& layer, std::uint32_t opacity, bool inspect) {
    if (layer.image == nullptr || layer.palette == nullptr) return;
    const CollectionImage& image = *layer.image;
    const Palette& palette = *layer.palette;
    const Extent extent = drawn_extent(image);
    if (extent.width == 0 || extent.height == 0) return;
    const std::int64_t w = extent.width;
    const std::int64_t h = extent.height;
    std::uint32_t* const out = composed_.data();
    const std::int64_t stride = composedWidth_;
    InspectCell* const cells = inspect_.data();
    walk_rle<RowRule::Preview>(
        encoded_bytes(image), image.width, [&](std::int64_t x, std::int64_t y, const RlePixel& p) {
            if (y >= h) return false;
            if (x < w) {
                std::uint32_t& dst = out[y * stride + x];
                const std::uint32_t alpha = opacity == 255 ? p.alpha : p.alpha * opacity / 255;
                dst = over(dst, colour_of(p, palette), alpha);
                if (inspect) cells[y * w + x] = {p, 1};
            }
            return true;
        });
}

void FrameRenderer::compose(const FrameScene& scene) {
    std::int32_t w = 0;
    std::int32_t h = 0;
    for (const Layer* layer : {&scene.current, &scene.onion[0], &scene.onion[1]}) {
        if (layer->image == nullptr) continue;
        const Extent e = drawn_extent(*layer->image);
        if (e.width == 0 || e.height == 0) continue;
        w = std::max(w, e.width);
        h = std::max(h, e.height);
    }
    composedWidth_ = w;
    composedHeight_ = h;
    const auto pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    if (composed_.size() < pixels) composed_.resize(pixels);

    const Extent current = scene.current.image ? drawn_extent(*scene.current.image) : Extent{};
    inspectWidth_ = current.width;
    inspectHeight_ = current.height;
    inspectPalette_ = scene.current.palette;
    const auto cells =
        static_cast<std::size_t>(current.width) * static_cast<std::size_t>(current.height);
    if (inspect_.size() < cells) inspect_.resize(cells);
    std::fill_n(inspect_.begin(), cells, InspectCell{});

    if (pixels == 0) return;
    if (scene.background.kind == Backdrop::Checkerboard) {
        const int cell = checker_cell(scene.zoom);
        for (std::int32_t y = 0; y < h; ++y) {
            std::uint32_t* row =
                composed_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
            for (std::int32_t x = 0; x < w; ++x) row[x] = checker_at(x / cell, y / cell);
        }
    } else {
        std::fill_n(composed_.begin(), pixels, solid_of(scene.background));
    }
    const std::uint32_t opacity = scene.onionOpacity;
    if (opacity > 0) {
        draw_layer(scene.onion[0], opacity, false);
        draw_layer(scene.onion[1], opacity, false);
    }
    draw_layer(scene.current, 255, true);
}

void FrameRenderer::expand(const FrameScene& scene, const ViewBuffer& view,
                           const Rect& area) const {
    if (area.empty()) return;
    const int z = scene.zoom;
    const ExpandRow expandRow = kExpandRow[static_cast<std::size_t>(z - 1)];
    const auto bytes = static_cast<std::size_t>(area.right - area.left) * sizeof(std::uint32_t);
    std::int64_t previousSy = -1;
    const std::uint32_t* previousRow = nullptr;
    for (std::int64_t vy = area.top; vy < area.bottom; ++vy) {
        std::uint32_t* row = view.pixels + vy * view.stride;
        const std::int64_t sy = (vy - scene.originY) / z;
        if (sy == previousSy) {
            std::memcpy(row + area.left, previousRow + area.left, bytes);
        } else {
            expandRow(composed_.data() + sy * composedWidth_, row, area.left, area.right,
                      scene.originX);
            previousSy = sy;
        }
        previousRow = row;
    }
}

void FrameRenderer::fill_background(const FrameScene& scene, const ViewBuffer& view,
                                    const Rect& area, const Rect& except) const {
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
    compose(scene);
    if (view.pixels == nullptr || view.width <= 0 || view.height <= 0) return;

    const Rect whole{0, 0, view.width, view.height};
    Rect images;
    if (composedWidth_ > 0 && composedHeight_ > 0) {
        images = {std::max<std::int64_t>(scene.originX, 0),
                  std::max<std::int64_t>(scene.originY, 0),
                  std::min<std::int64_t>(scene.originX + std::int64_t{composedWidth_} * scene.zoom,
                                         view.width),
                  std::min<std::int64_t>(scene.originY + std::int64_t{composedHeight_} * scene.zoom,
                                         view.height)};
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
    expand(scene, view, images);

    drawnValid_ = true;
    drawnView_ = view;
    drawnBackground_ = scene.background;
    drawnZoom_ = scene.zoom;
    drawnOriginX_ = scene.originX;
    drawnOriginY_ = scene.originY;
    drawnImages_ = images;
}

std::optional<InspectedPixel> FrameRenderer::pixel_at(std::int64_t x, std::int64_t y) const {
    if (x < 0 || y < 0 || x >= inspectWidth_ || y >= inspectHeight_) return std::nullopt;
    const InspectCell& cell = inspect_[static_cast<std::size_t>(y * inspectWidth_ + x)];
    if (cell.reached == 0) return std::nullopt;
    InspectedPixel out;
    out.pixel = cell.pixel;
    out.colour = inspectPalette_ ? colour_of(cell.pixel, *inspectPalette_) : 0;
    return out;
}

std::size_t FrameRenderer::capacity_bytes() const {
    return composed_.capacity() * sizeof(std::uint32_t) + inspect_.capacity() * sizeof(InspectCell);
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
