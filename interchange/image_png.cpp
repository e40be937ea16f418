// One image to and from PNG under a palette, and RGBA pictures matched to a palette.
#include "interchange/image_png.h"

#include <algorithm>

#include "interchange/sheet_room.h"

namespace dabro {

RgbaImage render_rgba(const PixelImage& image, const Palette& palette) {
    RgbaImage out;
    out.width = static_cast<std::uint32_t>(std::max(image.width, 0));
    out.height = static_cast<std::uint32_t>(std::max(image.height, 0));
    out.pixels.resize(image.pixels.size());
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        out.pixels[i] = rgba_of(image.pixels[i], palette);
    return out;
}

void match_picture(const std::uint32_t* rgba, std::int32_t width, std::int32_t height,
                   ColourMatcher& matcher, const PixelImage* current, const Palette& currentPalette,
                   PixelImage& out) {
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<std::size_t>(std::max(width, 0)) *
                      static_cast<std::size_t>(std::max(height, 0)));
    const std::int32_t keptWidth = current ? std::min(width, current->width) : 0;
    const std::int32_t keptHeight = current ? std::min(height, current->height) : 0;
    std::size_t i = 0;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x, ++i) {
            if (x < keptWidth && y < keptHeight) {
                const Pixel was = current->at(x, y);
                if (rgba_of(was, currentPalette) == rgba[i]) {
                    out.pixels[i] = was;
                    continue;
                }
            }
            out.pixels[i] = matcher.match(rgba[i]);
        }
    }
}

PixelImage pixels_from_rgba(const RgbaImage& picture, const Palette& palette,
                            const PixelImage* current) {
    ColourMatcher matcher(palette);
    PixelImage out;
    match_picture(picture.pixels.data(), static_cast<std::int32_t>(picture.width),
                  static_cast<std::int32_t>(picture.height), matcher, current, palette, out);
    return out;
}

Status export_image_png(const CollectionImage& image, const Palette& palette,
                        std::vector<std::uint8_t>& png) {
    if (image.width <= 0 || image.height <= 0) {
        return Status::failure("The image has no pixels to export: its size is " +
                               std::to_string(image.width) + " x " + std::to_string(image.height));
    }
    PixelImage pixels;
    if (Status s = decode_pixels(image, pixels); !s.ok()) return s;
    return encode_png(render_rgba(pixels, palette), png);
}

Status import_image_png(std::span<const std::uint8_t> png, const std::string& name,
                        const Palette& palette, const PngImportOptions& options, PixelImage& out) {
    PixelImage pixels;
    PixelImage current;
    if (options.keepIndices) {
        if (Status s = decode_png_indices(png, name, pixels, options.limits); !s.ok()) return s;
    } else {
        RgbaImage picture;
        if (Status s = decode_png(png, name, picture, options.limits); !s.ok()) return s;
        const bool replaces =
            options.into && options.slot >= 0 && options.slot < options.into->slot_count() &&
            decode_pixels(options.into->images[static_cast<std::size_t>(options.slot)], current)
                .ok();
        pixels = pixels_from_rgba(picture, palette, replaces ? &current : nullptr);
    }
    if (options.into) {
        if (Status s = check_sheet_room(*options.into, options.slot, pixels.width, pixels.height);
            !s.ok())
            return s;
    }
    out = std::move(pixels);
    return Status::success();
}

}  // namespace dabro
