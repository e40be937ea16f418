// PNG decoding and encoding through libspng, with the limits a PNG must keep.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "document/file_layer.h"
#include "document/status.h"
#include "imaging/pixel_image.h"
#include "interchange/progress.h"

namespace dabro {

// What a PNG may claim before it is refused, checked against its header before any pixel
// buffer is allocated. Chunks (text, ICC profiles...) are bounded on their own.
struct PngLimits {
    std::int64_t maxPixels = kMaxImagePixels;
    std::size_t maxChunkBytes = std::size_t{64} << 20;
    std::size_t maxChunkCache = std::size_t{64} << 20;
};

// 8-bit RGBA pixels, one std::uint32_t each with red in the lowest byte (see rgba_of).
struct RgbaImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(std::uint32_t x, std::uint32_t y) const {
        return pixels[std::size_t{y} * width + x];
    }
};

// Decodes any PNG: every colour type and bit depth, transparency from tRNS, interlaced or
// not. 16-bit samples keep their high byte; no gamma is applied. `name` is the file's name
// for the messages. The whole file must be sound: a bad CRC, a cut or missing end fails.
Status decode_png(std::span<const std::uint8_t> png, const std::string& name, RgbaImage& out,
                  const PngLimits& limits = {});

// Decodes as decode_png does, handing the pixels over a row at a time, top to bottom:
// `header` gets the size first (a failure it returns ends the decoding), then `row` gets
// each row's width pixels. A PNG without interlacing is never held whole in memory.
Status decode_png_rows(
    std::span<const std::uint8_t> png, const std::string& name, const PngLimits& limits,
    const std::function<Status(std::uint32_t width, std::uint32_t height)>& header,
    const std::function<void(std::uint32_t y, const std::uint32_t* row)>& row);

// The stored indices of an indexed PNG with their alpha from tRNS, or the grey values of a
// grey PNG of 8 bits or fewer (with its alpha channel or tRNS), taken as palette indices
// without any colour matching. Any other PNG is refused.
Status decode_png_indices(std::span<const std::uint8_t> png, const std::string& name,
                          PixelImage& out, const PngLimits& limits = {});

// How hard the encoder works. The defaults favour speed: sprite art has long flat runs that
// a fast deflate already packs well.
struct PngWriteOptions {
    int compressionLevel = 1;
    int filter = 8;  // libspng's filter choice: none
};

// Writes an 8-bit RGBA PNG of width x height, without interlacing. `row(y)` returns the
// pixels of row y (width values, as in RgbaImage); rows are asked for in order, once each,
// so a caller can draw a large picture a band at a time. A row of nullptr stops the work,
// which then returns Status::cancelled().
Status encode_png(std::uint32_t width, std::uint32_t height,
                  const std::function<const std::uint32_t*(std::uint32_t y)>& row, ByteSink& sink,
                  const PngWriteOptions& options = {});

Status encode_png(const RgbaImage& image, std::vector<std::uint8_t>& png,
                  const PngWriteOptions& options = {});

// Writes width x height pixels 0xAARRGGBB (the order the renderers draw in), rows `stride`
// pixels apart, as an 8-bit RGBA PNG. With `opaque` every pixel's alpha is taken as 255.
Status encode_argb_png(const std::uint32_t* pixels, std::uint32_t width, std::uint32_t height,
                       std::ptrdiff_t stride, bool opaque, std::vector<std::uint8_t>& png);

}  // namespace dabro
