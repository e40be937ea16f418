// Fuzz target: PNG import of hostile files, within small memory limits.
#include "fuzz/fuzz_target.h"
#include "interchange/image_png.h"

namespace dabro::fuzz {

namespace {

// Small enough that a hostile header cannot make the fuzzer run out of memory, large enough
// for every colour type, depth and interlacing to be reached.
PngLimits fuzz_limits() {
    PngLimits limits;
    limits.maxPixels = 1 << 16;
    limits.maxChunkBytes = 1 << 20;
    limits.maxChunkCache = 1 << 22;
    return limits;
}

Palette fuzz_palette() {
    Palette palette{};
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = static_cast<std::uint32_t>(i * 0x0A0B0Du) & 0xFFFFFFu;
    palette[17] = 0;
    return palette;
}

void check_round_trip(const PixelImage& pixels) {
    FUZZ_CHECK(pixels.pixels.size() ==
               static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height));
    for (Encoding encoding : {Encoding::Compact, Encoding::OnePixel}) {
        CollectionImage image;
        image.width = pixels.width;
        image.height = pixels.height;
        image.set_data(encode_pixels(pixels, encoding));
        PixelImage back;
        FUZZ_CHECK(decode_pixels(image, back).ok());
        FUZZ_CHECK(back == pixels);
    }
}

}  // namespace

int png_import(Input png) {
    static const Palette palette = fuzz_palette();
    PngImportOptions options;
    options.limits = fuzz_limits();
    PixelImage pixels;
    if (import_image_png(png, "fuzz.png", palette, options, pixels).ok()) {
        check_round_trip(pixels);
        // What is exported comes back the same: every colour is now one of the palette's.
        CollectionImage image;
        image.width = pixels.width;
        image.height = pixels.height;
        image.set_data(encode_compact(pixels));
        std::vector<std::uint8_t> again;
        if (pixels.width > 0 && pixels.height > 0) {
            FUZZ_CHECK(export_image_png(image, palette, again).ok());
            PixelImage back;
            FUZZ_CHECK(import_image_png(again, "again.png", palette, options, back).ok());
            FUZZ_CHECK(render_rgba(back, palette).pixels == render_rgba(pixels, palette).pixels);
        }
    }
    options.keepIndices = true;
    if (import_image_png(png, "fuzz.png", palette, options, pixels).ok()) check_round_trip(pixels);
    return 0;
}

}  // namespace dabro::fuzz
