// The image and sheet imports as steps, shared by the menu commands and the live link.
#include "actions/image_import.h"

#include <cstdint>
#include <utility>
#include <vector>

#include "commands/document_commands.h"
#include "interchange/image_png.h"
#include "interchange/sheet.h"

namespace dabro {

bool images_readable(const SpriteDocument& document, int collection) {
    return collection >= 0 && collection < document.collectionCount &&
           document.collections[static_cast<std::size_t>(collection)].imageSectionType ==
               kReadableSection;
}

namespace {

Status gone() {
    return Status::failure("The image is no longer in the sprite");
}

}  // namespace

Status import_png_step(const SpriteDocument& document, ImageRef ref, const std::string& path,
                       std::string stepName, CommandPtr& step) {
    if (!is_valid(document, ref) || !images_readable(document, ref.collection)) return gone();
    std::vector<std::uint8_t> bytes;
    if (Status s = read_input_file(path, kMaxPngBytes, bytes); !s.ok()) return s;
    const ImageCollection& collection =
        document.collections[static_cast<std::size_t>(ref.collection)];
    PngImportOptions options;
    options.into = &collection;
    options.slot = ref.slot;
    PixelImage pixels;
    if (Status s = import_image_png(bytes, path, collection.palettes[0], options, pixels); !s.ok())
        return s;
    step = replace_image_command(std::move(stepName), Refresh::ImageDetails, ref,
                                 {encode_compact(pixels), pixels.width, pixels.height});
    return Status::success();
}

Status import_sheet_step(const SpriteDocument& document, int collection, const std::string& path,
                         std::string stepName, CommandPtr& step, const Progress& progress) {
    if (!images_readable(document, collection)) return gone();
    SheetContent content;
    Status s =
        read_sheet(path, Encoding::Compact,
                   &document.collections[static_cast<std::size_t>(collection)], content, progress);
    if (s.ok()) s = check_sheet_fits(document, collection, content.layout);
    if (!s.ok()) return s;
    step = replace_collection_command(std::move(stepName), collection,
                                      collection_content(std::move(content)));
    return Status::success();
}

}  // namespace dabro
