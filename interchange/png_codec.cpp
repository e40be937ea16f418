// PNG decoding and encoding through libspng, with the limits a PNG must keep.
#include "interchange/png_codec.h"

#include <spng.h>

#include <algorithm>
#include <bit>
#include <limits>
#include <memory>

namespace dabro {

static_assert(std::endian::native == std::endian::little,
              "RGBA pixels are kept as little-endian 32-bit values");

namespace {

struct ContextFree {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using Context = std::unique_ptr<spng_ctx, ContextFree>;

Status png_failure(const std::string& name, int err) {
    if (err == SPNG_ESIGNATURE) return Status::failure_naming(name, name + " is not a PNG file");
    return Status::failure_naming(name, name + " is not a readable PNG: " + spng_strerror(err));
}

// Opens a decoder on the bytes and reads the header, refusing a size above the limits
// before anything of that size exists.
Status open_png(std::span<const std::uint8_t> png, const std::string& name, const PngLimits& limits,
                Context& ctx, spng_ihdr& ihdr) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < sizeof(kSignature) || !std::equal(kSignature, kSignature + 8, png.begin()))
        return png_failure(name, SPNG_ESIGNATURE);
    // Every chunk's CRC is checked; the deflate stream's own Adler-32 repeats that check at
    // a tenth of the decoding time, so it is skipped.
    ctx.reset(spng_ctx_new(SPNG_CTX_IGNORE_ADLER32));
    if (!ctx) return Status::failure("Out of memory");
    const auto side = static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max());
    spng_set_image_limits(ctx.get(), side, side);
    spng_set_chunk_limits(ctx.get(), limits.maxChunkBytes, limits.maxChunkCache);
    if (int err = spng_set_png_buffer(ctx.get(), png.data(), png.size()); err != 0)
        return png_failure(name, err);
    if (int err = spng_get_ihdr(ctx.get(), &ihdr); err != 0) return png_failure(name, err);
    const std::int64_t pixels = std::int64_t{ihdr.width} * ihdr.height;
    if (pixels > limits.maxPixels) {
        return Status::failure_naming(
            name, name + " is " + std::to_string(ihdr.width) + " x " + std::to_string(ihdr.height) +
                      " pixels, more than the " + std::to_string(limits.maxPixels) + " allowed");
    }
    return Status::success();
}

// Reads what follows the image data up to the end chunk, so a cut file or a bad checksum
// there is not taken for a sound one. libspng does not read the end chunk's checksum, so
// the whole chunk must be there as well.
Status finish_png(spng_ctx* ctx, std::span<const std::uint8_t> png, const std::string& name) {
    if (int err = spng_decode_chunks(ctx); err != 0) return png_failure(name, err);
    static constexpr std::uint8_t kEnd[12] = {0,   0,   0,    0,    'I',  'E',
                                              'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    if (std::find_end(png.begin(), png.end(), kEnd, kEnd + sizeof(kEnd)) == png.end())
        return Status::failure_naming(
            name, name + " is not a readable PNG: its end chunk is missing or cut");
    return Status::success();
}

}  // namespace

Status decode_png(std::span<const std::uint8_t> png, const std::string& name, RgbaImage& out,
                  const PngLimits& limits) {
    Context ctx;
    spng_ihdr ihdr{};
    if (Status s = open_png(png, name, limits, ctx, ihdr); !s.ok()) return s;
    RgbaImage image;
    image.width = ihdr.width;
    image.height = ihdr.height;
    image.pixels.resize(std::size_t{ihdr.width} * ihdr.height);
    std::size_t size = 0;
    if (int err = spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &size); err != 0)
        return png_failure(name, err);
    if (size != image.pixels.size() * 4) return png_failure(name, SPNG_EINTERNAL);
    if (int err = spng_decode_image(ctx.get(), image.pixels.data(), size, SPNG_FMT_RGBA8,
                                    SPNG_DECODE_TRNS);
        err != 0)
        return png_failure(name, err);
    if (Status s = finish_png(ctx.get(), png, name); !s.ok()) return s;
    out = std::move(image);
    return Status::success();
}

Status decode_png_rows(
    std::span<const std::uint8_t> png, const std::string& name, const PngLimits& limits,
    const std::function<Status(std::uint32_t width, std::uint32_t height)>& header,
    const std::function<void(std::uint32_t y, const std::uint32_t* row)>& row) {
    Context ctx;
    spng_ihdr ihdr{};
    if (Status s = open_png(png, name, limits, ctx, ihdr); !s.ok()) return s;
    if (Status s = header(ihdr.width, ihdr.height); !s.ok()) return s;
    if (ihdr.interlace_method != SPNG_INTERLACE_NONE) {
        // Interlaced rows arrive in passes, so the picture is put together first.
        RgbaImage image;
        if (Status s = decode_png(png, name, image, limits); !s.ok()) return s;
        for (std::uint32_t y = 0; y < image.height; ++y)
            row(y, image.pixels.data() + std::size_t{y} * image.width);
        return Status::success();
    }
    std::vector<std::uint32_t> line(ihdr.width);
    const std::size_t lineBytes = line.size() * 4;
    if (int err = spng_decode_image(ctx.get(), nullptr, 0, SPNG_FMT_RGBA8,
                                    SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE);
        err != 0)
        return png_failure(name, err);
    for (std::uint32_t y = 0; y < ihdr.height; ++y) {
        const int err = spng_decode_row(ctx.get(), line.data(), lineBytes);
        if (err != 0 && !(err == SPNG_EOI && y + 1 == ihdr.height)) return png_failure(name, err);
        row(y, line.data());
    }
    return finish_png(ctx.get(), png, name);
}

Status decode_png_indices(std::span<const std::uint8_t> png, const std::string& name,
                          PixelImage& out, const PngLimits& limits) {
    Context ctx;
    spng_ihdr ihdr{};
    if (Status s = open_png(png, name, limits, ctx, ihdr); !s.ok()) return s;
    const int type = ihdr.color_type;
    const int depth = ihdr.bit_depth;
    const bool indexed = type == SPNG_COLOR_TYPE_INDEXED;
    const bool grey = type == SPNG_COLOR_TYPE_GRAYSCALE || type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA;
    if (!(indexed || grey) || depth > 8) {
        return Status::failure_naming(
            name, name +
                      " holds no indices: keeping indices needs an indexed PNG or a grey "
                      "PNG of 8 bits or fewer");
    }
    std::size_t size = 0;
    if (int err = spng_decoded_image_size(ctx.get(), SPNG_FMT_PNG, &size); err != 0)
        return png_failure(name, err);
    std::vector<std::uint8_t> samples(size);
    if (int err = spng_decode_image(ctx.get(), samples.data(), size, SPNG_FMT_PNG, 0); err != 0)
        return png_failure(name, err);
    if (Status s = finish_png(ctx.get(), png, name); !s.ok()) return s;

    spng_trns trns{};
    const bool hasTrns = spng_get_trns(ctx.get(), &trns) == 0;
    const bool withAlpha = type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA;
    const std::size_t w = ihdr.width;
    const std::size_t h = ihdr.height;
    const std::size_t stride = w == 0 || h == 0 ? 0 : size / h;
    PixelImage image;
    image.width = static_cast<std::int32_t>(w);
    image.height = static_cast<std::int32_t>(h);
    image.pixels.resize(w * h);
    const unsigned mask = (1u << depth) - 1;
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint8_t* row = samples.data() + y * stride;
        for (std::size_t x = 0; x < w; ++x) {
            std::uint8_t value = 0;
            std::uint8_t alpha = 255;
            if (withAlpha) {
                value = row[2 * x];
                alpha = row[2 * x + 1];
            } else {
                // Samples below 8 bits are packed from the high bits of each byte down.
                const std::size_t bit = x * static_cast<std::size_t>(depth);
                const unsigned shift = 8 - static_cast<unsigned>(depth) - bit % 8;
                value = static_cast<std::uint8_t>(row[bit / 8] >> shift & mask);
                if (indexed) {
                    if (hasTrns && value < trns.n_type3_entries) alpha = trns.type3_alpha[value];
                } else if (hasTrns && value == trns.gray) {
                    alpha = 0;
                }
            }
            image.pixels[y * w + x] = indexed_pixel(value, alpha);
        }
    }
    out = std::move(image);
    return Status::success();
}

namespace {

struct SinkState {
    ByteSink* sink = nullptr;
    Status status;
};

int write_to_sink(spng_ctx*, void* user, void* data, std::size_t length) {
    auto* state = static_cast<SinkState*>(user);
    if (!state->status.ok()) return SPNG_IO_ERROR;
    state->status = state->sink->write({static_cast<const std::uint8_t*>(data), length});
    return state->status.ok() ? 0 : SPNG_IO_ERROR;
}

Status encode_failure(int err) {
    return Status::failure(std::string("The PNG could not be written: ") + spng_strerror(err));
}

}  // namespace

Status encode_png(std::uint32_t width, std::uint32_t height,
                  const std::function<const std::uint32_t*(std::uint32_t y)>& row, ByteSink& sink,
                  const PngWriteOptions& options) {
    Context ctx(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!ctx) return Status::failure("Out of memory");
    SinkState state{&sink, {}};
    // A failed write of the sink comes back as its own failure, not as libspng's.
    auto fail = [&](int err) { return state.status.ok() ? encode_failure(err) : state.status; };
    if (int err = spng_set_png_stream(ctx.get(), write_to_sink, &state); err != 0) return fail(err);
    spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, options.compressionLevel);
    spng_set_option(ctx.get(), SPNG_FILTER_CHOICE, options.filter);
    spng_ihdr ihdr{};
    ihdr.width = width;
    ihdr.height = height;
    ihdr.bit_depth = 8;
    ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    if (int err = spng_set_ihdr(ctx.get(), &ihdr); err != 0) return fail(err);
    if (int err = spng_encode_image(ctx.get(), nullptr, 0, SPNG_FMT_PNG,
                                    SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
        err != 0)
        return fail(err);
    const std::size_t rowBytes = std::size_t{width} * 4;
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint32_t* pixels = row(y);
        if (pixels == nullptr) return Status::cancelled();
        const int err = spng_encode_row(ctx.get(), pixels, rowBytes);
        if (err == SPNG_EOI && y + 1 == height) break;
        if (err != 0) return fail(err);
    }
    return state.status;
}

Status encode_png(const RgbaImage& image, std::vector<std::uint8_t>& png,
                  const PngWriteOptions& options) {
    std::vector<std::uint8_t> bytes;
    VectorByteSink sink(bytes);
    if (Status s = encode_png(
            image.width, image.height,
            [&](std::uint32_t y) { return image.pixels.data() + std::size_t{y} * image.width; },
            sink, options);
        !s.ok())
        return s;
    png = std::move(bytes);
    return Status::success();
}

Status encode_argb_png(const std::uint32_t* pixels, std::uint32_t width, std::uint32_t height,
                       std::ptrdiff_t stride, bool opaque, std::vector<std::uint8_t>& png) {
    const std::uint32_t alpha = opaque ? 0xFF000000u : 0;
    std::vector<std::uint32_t> rgba(width);
    std::vector<std::uint8_t> bytes;
    VectorByteSink sink(bytes);
    if (Status s = encode_png(
            width, height,
            [&](std::uint32_t y) {
                const std::uint32_t* from = pixels + static_cast<std::ptrdiff_t>(y) * stride;
                for (std::uint32_t x = 0; x < width; ++x) {
                    const std::uint32_t p = from[x] | alpha;
                    rgba[x] = (p & 0xFF00FF00u) | (p >> 16 & 0xFF) | (p & 0xFF) << 16;
                }
                return rgba.data();
            },
            sink);
        !s.ok())
        return s;
    png = std::move(bytes);
    return Status::success();
}

}  // namespace dabro
