// One image to and from PNG under a palette, and RGBA pictures matched to a palette.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "document/sprite_document.h"
#include "document/status.h"
#include "imaging/colour_match.h"
#include "imaging/pixel_image.h"
#include "interchange/png_codec.h"

namespace dabro {

// The pixels as RGBA under the palette (see rgba_of).
RgbaImage render_rgba(const PixelImage& image, const Palette& palette);

// The pixels of an RGBA picture under the palette, by ColourMatcher's rules. With the
// `current` pixels of the image it replaces, drawn with `currentPalette`, a picture pixel
// whose colour and alpha are what the image shows at that place keeps the image's pixel
// (index and kind): only changed pixels are matched, so an index whose colour another entry
// repeats stays as it was.
void match_picture(const std::uint32_t* rgba, std::int32_t width, std::int32_t height,
                   ColourMatcher& matcher, const PixelImage* current, const Palette& currentPalette,
                   PixelImage& out);
PixelImage pixels_from_rgba(const RgbaImage& picture, const Palette& palette,
                            const PixelImage* current = nullptr);

// One image as an 8-bit RGBA PNG under the palette. An image without pixels (a width or
// height of 0 or less) cannot be a PNG and is refused.
Status export_image_png(const CollectionImage& image, const Palette& palette,
                        std::vector<std::uint8_t>& png);

struct PngImportOptions {
    bool keepIndices = false;  // take an indexed or grey PNG's values as indices
    PngLimits limits;
    // The image the PNG replaces, slot `slot` of `into`: its unchanged pixels stay as they
    // are, and a PNG that would take the collection's sheet over the limit is refused.
    const ImageCollection* into = nullptr;
    int slot = 0;
};

// The pixels of a PNG for an image drawn with `palette`: colours matched to the palette,
// or with keepIndices the stored indices as they stand.
Status import_image_png(std::span<const std::uint8_t> png, const std::string& name,
                        const Palette& palette, const PngImportOptions& options, PixelImage& out);

}  // namespace dabro
