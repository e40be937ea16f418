// The image commands as steps: import raw, import by name, halve and align.
#include "actions/image_actions.h"

#include <utility>
#include <vector>

#include "imaging/halve.h"
#include "interchange/raw_import.h"

namespace dabro {

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

}  // namespace dabro
