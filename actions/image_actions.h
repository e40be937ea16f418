// The image commands: import raw, by name and PNG, export image, halve and align.
#pragma once

#include <string>

#include "commands/document_commands.h"
#include "document/status.h"
#include "imaging/align.h"
#include "imaging/pixel_image.h"

namespace dabro {

// Each reads what it needs and builds the step, or fails with the tool's message; the
// document changes only when the step runs. The window and the batch tool both build their
// image commands here.

// Whether a command on one image can run now: an image is selected. The window enables its
// image items by these, and each command below checks its own first.
Status image_ready(const SpriteDocument& document, ImageRef ref);
// The same for a command that reads or writes the image's pixels: its collection's images
// were also read.
Status pixels_ready(const SpriteDocument& document, ImageRef ref);

// Import: new pixels from a raw file; the size stays.
Status import_raw_step(const SpriteDocument& document, ImageRef ref, const std::string& path,
                       CommandPtr& step);
// Import by name: pixels, size and palette 0 from the file and its name, as one step.
Status import_by_name_step(const SpriteDocument& document, ImageRef ref, const std::string& path,
                           CommandPtr& step);
Status halve_step(const SpriteDocument& document, ImageRef ref, CommandPtr& step);
// The image's box centred in a gui item frame.
CommandPtr align_step(const SpriteDocument& document, ImageRef ref, FrameSize frame);

// How Import PNG matches the picture: to palette `palette` of the collection, or with
// `keepIndices` taking an indexed or grey PNG's values as they stand; the pixels are stored
// in `encoding`.
struct PngImportChoice {
    int palette = 0;
    bool keepIndices = false;
    Encoding encoding = Encoding::Compact;
    std::string stepName = "Import PNG";  // as Edit > Undo names it
};

// Import PNG: the image and its size from a PNG file, as one step.
Status import_png_step(const SpriteDocument& document, ImageRef ref, const std::string& path,
                       const PngImportChoice& choice, CommandPtr& step);

// Export image: the image drawn with palette `palette` as RGBA PNG or, with `rawByName` and a
// path ending in ".raw" (any case), as a raw file (an index and an alpha a pixel, the inverse
// of Import). Written whole or not at all.
Status export_image(const SpriteDocument& document, ImageRef ref, int palette,
                    const std::string& path, bool rawByName);

// Render: the image drawn as the preview draws it (palette 0, blended over the preview's grey)
// as PNG, written whole or not at all.
Status render_image(const SpriteDocument& document, ImageRef ref, const std::string& path);

// Recompress: every image of every readable collection stored again in the compact encoding,
// in place (the batch tool saves the result; nothing is undone). A failure names the image.
Status recompress_images(SpriteDocument& document);

}  // namespace dabro
