// The image commands: import raw, by name and PNG, export image, halve and align.
#include "actions/image_actions.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

#include "document/file_layer.h"
#include "imaging/colour_match.h"
#include "imaging/halve.h"
#include "interchange/image_png.h"
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
    if (!is_valid(document, ref)) return Status::failure("No image is selected");
    if (!readable_collection(document, ref.collection)) return Status::failure(kUnreadableImages);
    if (palette < 0 || palette >= kPalettesPerCollection)
        return Status::failure("There is no palette " + std::to_string(palette));
    return Status::success();
}

}  // namespace

Status import_raw_step(const SpriteDocument& document, ImageRef ref, const std::string& path,
                       CommandPtr& step) {
    if (!is_valid(document, ref)) return Status::failure("No image is selected");
    std::vector<std::uint8_t> data;
    if (Status s = load_raw_image(path, data); !s.ok()) return s;
    const CollectionImage& image = document.collections[ref.collection].images[ref.slot];
    step = replace_image_command("Import image", Refresh::Preview, ref,
                                 {std::move(data), image.width, image.height});
    return Status::success();
}

Status import_by_name_step(const SpriteDocument& document, ImageRef ref, const std::string& path,
                           CommandPtr& step) {
    if (!is_valid(document, ref)) return Status::failure("No image is selected");
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
    if (!is_valid(document, ref)) return Status::failure("No image is selected");
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

bool readable_collection(const SpriteDocument& document, int collection) {
    return collection_in_use(document, collection) &&
           document.collections[static_cast<std::size_t>(collection)].images_readable();
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

}  // namespace dabro
