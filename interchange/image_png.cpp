#include "interchange/image_png.h"

#include <algorithm>

#include "imaging/colour_match.h"

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

PixelImage pixels_from_rgba(const RgbaImage& picture, const Palette& palette) {
    ColourMatcher matcher(palette);
    PixelImage out;
    out.width = static_cast<std::int32_t>(picture.width);
    out.height = static_cast<std::int32_t>(picture.height);
    out.pixels.resize(picture.pixels.size());
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        out.pixels[i] = matcher.match(picture.pixels[i]);
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
    if (options.keepIndices) return decode_png_indices(png, name, out, options.limits);
    RgbaImage picture;
    if (Status s = decode_png(png, name, picture, options.limits); !s.ok()) return s;
    out = pixels_from_rgba(picture, palette);
    return Status::success();
}

}  // namespace dabro
