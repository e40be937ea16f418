// An image's pixels as the user sees them, decoded from and encoded to the run-length data.
#include "imaging/pixel_image.h"

#include <algorithm>
#include <memory>
#include <string>

#include "imaging/rle.h"

namespace dabro {

Status decode_pixels(const CollectionImage& image, PixelImage& out, std::int64_t maxPixels) {
    out = PixelImage{};
    if (image.width <= 0 || image.height <= 0) return Status::success();
    const std::int64_t count = std::int64_t{image.width} * image.height;
    if (count > maxPixels) {
        return Status::failure("The image is too large: " + std::to_string(image.width) + " x " +
                               std::to_string(image.height) + " pixels, more than " +
                               std::to_string(maxPixels));
    }
    out.width = image.width;
    out.height = image.height;
    out.pixels.assign(static_cast<std::size_t>(count), Pixel{});
    const std::int64_t w = image.width;
    const std::int64_t h = image.height;
    Pixel* pixels = out.pixels.data();
    walk_rle<RowRule::Preview>(encoded_bytes(image), image.width,
                               [&](std::int64_t x, std::int64_t y, const RlePixel& p) {
                                   if (y >= h) return false;
                                   if (x < w) {
                                       Pixel& to = pixels[y * w + x];
                                       if (p.kind == 3) {
                                           to = black_pixel(p.alpha);
                                       } else if (p.kind != 0) {
                                           to = indexed_pixel(p.index, p.alpha);
                                       }
                                   }
                                   return true;
                               });
    return Status::success();
}

RgbaPalette rgba_palette(const Palette& palette) {
    RgbaPalette out{};
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const std::uint32_t c = palette[i];
        out[i] = (c >> 16 & 0xFF) | (c & 0xFF00) | (c & 0xFF) << 16;
    }
    return out;
}

void draw_rgba(const CollectionImage& image, const RgbaPalette& palette, std::uint32_t* pixels,
               std::ptrdiff_t stride) {
    if (image.width <= 0 || image.height <= 0) return;
    const std::int64_t w = image.width;
    const std::int64_t h = image.height;
    walk_rle<RowRule::Preview>(
        encoded_bytes(image), image.width, [&](std::int64_t x, std::int64_t y, const RlePixel& p) {
            if (y >= h) return false;
            if (x < w && p.alpha != 0) {
                const std::uint32_t colour = p.uses_palette() ? palette[p.index] : 0;
                pixels[y * stride + x] = colour | std::uint32_t{p.alpha} << 24;
            } else if (x < w) {
                pixels[y * stride + x] = 0;
            }
            return true;
        });
}

namespace {

// The command kind a pixel is stored with.
inline std::uint8_t kind_of(const Pixel& p) {
    switch (p.kind) {
        case PixelKind::Transparent:
            return 0;
        case PixelKind::Indexed:
            return p.alpha == 255 ? 1 : 2;
        default:
            return 3;
    }
}

}  // namespace

std::vector<std::uint8_t> encode_compact(const PixelImage& image) {
    if (image.width <= 0 || image.height <= 0) return {};
    const std::size_t w = static_cast<std::size_t>(image.width);
    // At most three bytes a pixel: a lone kind 2 pixel between others. The result is copied
    // out at its real size, which is usually far smaller.
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(image.pixels.size() * 3);
    std::uint8_t* o = buffer.get();
    const Pixel* row = image.pixels.data();
    for (std::int32_t y = 0; y < image.height; ++y, row += w) {
        std::size_t x = 0;
        while (x < w) {
            const std::uint8_t kind = kind_of(row[x]);
            const std::size_t limit = std::min(w, x + kMaxRun);
            std::size_t end = x + 1;
            while (end < limit && kind_of(row[end]) == kind) ++end;
            *o++ = static_cast<std::uint8_t>((end - x) << 2 | kind);
            switch (kind) {
                case 0:
                    break;
                case 1:
                    for (std::size_t i = x; i < end; ++i) *o++ = row[i].index;
                    break;
                case 2:
                    for (std::size_t i = x; i < end; ++i) {
                        *o++ = row[i].index;
                        *o++ = row[i].alpha;
                    }
                    break;
                default:
                    for (std::size_t i = x; i < end; ++i) *o++ = row[i].alpha;
                    break;
            }
            x = end;
        }
    }
    return std::vector<std::uint8_t>(buffer.get(), o);
}

std::vector<std::uint8_t> encode_one_pixel(const PixelImage& image) {
    std::vector<std::uint8_t> out;
    out.reserve(image.pixels.size() * 3);
    for (const Pixel& p : image.pixels) {
        if (p.kind == PixelKind::Black) {
            out.push_back(4 | 3);
            out.push_back(p.alpha);
        } else {
            append_pixel(out, p.index, p.alpha);
        }
    }
    return out;
}

std::vector<std::uint8_t> encode_pixels(const PixelImage& image, Encoding encoding) {
    return encoding == Encoding::Compact ? encode_compact(image) : encode_one_pixel(image);
}

}  // namespace dabro
