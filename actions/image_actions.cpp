// The image commands: import raw, by name and PNG, export image, halve and align.
#include "actions/image_actions.h"

#include <algorithm>
#include <cctype>
#include <new>
#include <utility>
#include <vector>

#include "document/file_layer.h"
#include "imaging/colour_match.h"
#include "imaging/halve.h"
#include "imaging/render.h"
#include "interchange/image_png.h"
#include "interchange/png_codec.h"
#include "interchange/raw_import.h"
#include "interchange/sheet.h"

namespace dabro {

namespace {

bool ends_with_raw(std::string path) {
    std::transform(path.begin(), path.end(), path.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return path.size() >= 4 && path.compare(path.size() - 4, 4, ".raw") == 0;
}

// The inverse of raw Import: an index and an alpha per pixel. A shadow pixel takes the
// palette's colour nearest to black, since the raw form has no black of its own.
std::vector<std::uint8_t> raw_pixels(const PixelImage& pixels, const Palette& palette) {
    ColourMatcher matcher(palette);
    const std::uint8_t black = matcher.nearest(0);
    std::vector<std::uint8_t> raw;
    raw.reserve(pixels.pixels.size() * 2);
    for (const Pixel& p : pixels.pixels) {
        raw.push_back(p.kind == PixelKind::Black ? black : p.index);
        raw.push_back(p.alpha);
    }
    return raw;
}

Status check_image(const SpriteDocument& document, ImageRef ref, int palette) {
    if (Status s = pixels_ready(document, ref); !s.ok()) return s;
    if (palette < 0 || palette >= kPalettesPerCollection)
        return Status::failure("There is no palette " + std::to_string(palette));
    return Status::success();
}

// The image as the preview draws it, as RGBA PNG.
Status png_of(const CollectionImage& image, const Palette& palette,
              std::vector<std::uint8_t>& png) {
    const std::int64_t w = image.width;
    const std::int64_t h = image.height;
    if (w <= 0 || h <= 0) {
        return Status::failure("The image has no pixels to draw: its size is " + std::to_string(w) +
                               " x " + std::to_string(h));
    }
    if (w * h > kMaxPngPixels) {
        return Status::failure("The image is too large to draw: its size is " + std::to_string(w) +
                               " x " + std::to_string(h));
    }
    std::vector<std::uint32_t> picture;
    try {
        picture.resize(static_cast<std::size_t>(w * h));
    } catch (const std::bad_alloc&) {
        return Status::failure("Out of memory");
    }
    render_image_into(image, palette, picture.data(), static_cast<std::int32_t>(w),
                      static_cast<std::int32_t>(h), w);
    return encode_argb_png(picture.data(), static_cast<std::uint32_t>(w),
                           static_cast<std::uint32_t>(h), w, true, png);
}

}  // namespace

Status image_ready(const SpriteDocument& document, ImageRef ref) {
    return is_valid(document, ref) ? Status::success() : Status::failure("No image is selected");
}

Status pixels_ready(const SpriteDocument& document, ImageRef ref) {
    if (Status s = image_ready(document, ref); !s.ok()) return s;
    return check_readable_collection(document, ref.collection);
}

Status import_raw_step(const SpriteDocument& document, ImageRef ref, const std::string& path,
                       CommandPtr& step) {
    if (Status s = image_ready(document, ref); !s.ok()) return s;
    std::vector<std::uint8_t> data;
    if (Status s = load_raw_image(path, data); !s.ok()) return s;
    const CollectionImage& image = document.collections[ref.collection].images[ref.slot];
    step = replace_image_command("Import image", Refresh::Preview, ref,
                                 {std::move(data), image.width, image.height});
    return Status::success();
}

Status import_by_name_step(const SpriteDocument& document, ImageRef ref, const std::string& path,
                           CommandPtr& step) {
    if (Status s = image_ready(document, ref); !s.ok()) return s;
    EncodedImage image;
    Palette palette = document.collections[ref.collection].palettes[0];
    if (Status s = import_raw_by_name(path, image, palette); !s.ok()) return s;
    std::vector<CommandPtr> parts;
    parts.push_back(replace_image_command("", Refresh::ImageDetails, ref, std::move(image)));
    parts.push_back(set_palette_command("", ref.collection, palette));
    step = group_command("Import by name", Refresh::ImageDetails, std::move(parts));
    return Status::success();
}

Status halve_step(const SpriteDocument& document, ImageRef ref, CommandPtr& step) {
    if (Status s = image_ready(document, ref); !s.ok()) return s;
    EncodedImage halved;
    if (Status s = halve_image(document.collections[ref.collection].images[ref.slot], halved);
        !s.ok())
        return s;
    step = replace_image_command("Halve image", Refresh::ImageDetails, ref, std::move(halved));
    return Status::success();
}

CommandPtr align_step(const SpriteDocument& document, ImageRef ref, FrameSize frame) {
    ImageGeometry geometry = geometry_of(document, ref);
    geometry.box = align_box(geometry.width, geometry.height, frame);
    return set_geometry_command("Align image", ref, geometry);
}

Status import_png_step(const SpriteDocument& document, ImageRef ref, const std::string& path,
                       const PngImportChoice& choice, CommandPtr& step) {
    if (Status s = check_image(document, ref, choice.palette); !s.ok()) return s;
    std::vector<std::uint8_t> bytes;
    if (Status s = read_input_file(path, kMaxPngBytes, bytes); !s.ok()) return s;
    const ImageCollection& collection =
        document.collections[static_cast<std::size_t>(ref.collection)];
    PngImportOptions options;
    options.keepIndices = choice.keepIndices;
    options.into = &collection;
    options.slot = ref.slot;
    PixelImage pixels;
    if (Status s = import_image_png(bytes, path,
                                    collection.palettes[static_cast<std::size_t>(choice.palette)],
                                    options, pixels);
        !s.ok())
        return s;
    step = replace_image_command(
        choice.stepName, Refresh::ImageDetails, ref,
        {encode_pixels(pixels, choice.encoding), pixels.width, pixels.height});
    return Status::success();
}

Status export_image(const SpriteDocument& document, ImageRef ref, int palette,
                    const std::string& path, bool rawByName) {
    if (Status s = check_image(document, ref, palette); !s.ok()) return s;
    const ImageCollection& col = document.collections[static_cast<std::size_t>(ref.collection)];
    const CollectionImage& image = col.images[static_cast<std::size_t>(ref.slot)];
    const Palette& colours = col.palettes[static_cast<std::size_t>(palette)];
    std::vector<std::uint8_t> bytes;
    if (rawByName && ends_with_raw(path)) {
        PixelImage pixels;
        if (Status s = decode_pixels(image, pixels); !s.ok()) return s;
        bytes = raw_pixels(pixels, colours);
    } else if (Status s = export_image_png(image, colours, bytes); !s.ok()) {
        return s;
    }
    return write_file_atomically(path, bytes);
}

Status render_image(const SpriteDocument& document, ImageRef ref, const std::string& path) {
    if (Status s = check_image(document, ref, 0); !s.ok()) return s;
    const ImageCollection& col = document.collections[static_cast<std::size_t>(ref.collection)];
    std::vector<std::uint8_t> png;
    if (Status s = png_of(col.images[static_cast<std::size_t>(ref.slot)], col.palettes[0], png);
        !s.ok())
        return s;
    return write_file_atomically(path, png);
}

Status recompress_images(SpriteDocument& document) {
    PixelImage pixels;
    for (int c = 0; c < document.collectionCount; ++c) {
        const ImageCollection& col = document.collections[static_cast<std::size_t>(c)];
        if (!col.images_readable()) continue;
        for (int k = 0; k < col.slot_count(); ++k) {
            const CollectionImage& image = col.images[static_cast<std::size_t>(k)];
            if (Status s = decode_pixels(image, pixels); !s.ok())
                return Status::failure("Collection " + std::to_string(c) + ", image " +
                                       std::to_string(k) + ": " + s.message());
            replace_image_command("Recompress", Refresh::Preview, {c, k},
                                  {encode_compact(pixels), image.width, image.height})
                ->apply(document);
        }
    }
    return Status::success();
}

}  // namespace dabro
