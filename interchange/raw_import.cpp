// Raw image files: their pixels, and Import by name.
#include "interchange/raw_import.h"

#include <algorithm>

#include "document/file_layer.h"
#include "document/text_to_int.h"
#include "imaging/rle.h"
#include "interchange/palette_formats.h"

namespace dabro {

std::vector<std::uint8_t> encode_raw_pixels(std::span<const std::uint8_t> raw) {
    const std::size_t pairs = raw.size() / 2;
    std::size_t size = 0;
    for (std::size_t i = 0; i < pairs; ++i) size += encoded_pixel_size(raw[2 * i + 1]);
    std::vector<std::uint8_t> out;
    out.reserve(size);
    for (std::size_t i = 0; i < pairs; ++i) append_pixel(out, raw[2 * i], raw[2 * i + 1]);
    return out;
}

namespace {

Status encode_checked(std::span<const std::uint8_t> raw, std::vector<std::uint8_t>& encoded) {
    // Three bytes per pixel at most: only a file of over 1.4 GB can overflow dataLength.
    if (raw.size() / 2 > kMaxDataLength / 3) {
        std::size_t size = 0;
        for (std::size_t i = 1; i < raw.size(); i += 2) size += encoded_pixel_size(raw[i]);
        if (size > kMaxDataLength) return Status::failure(kDataTooLongMessage);
    }
    encoded = encode_raw_pixels(raw);
    return Status::success();
}

// The pixels of a raw file of a known size: an index and an alpha a pixel, or, as GIMP
// exports an indexed image without alpha, one index a pixel, opaque.
Status encode_sized(const std::string& path, std::vector<std::uint8_t> raw, std::int32_t width,
                    std::int32_t height, std::vector<std::uint8_t>& encoded) {
    const auto pixels = static_cast<std::uint64_t>(std::max(width, 0)) *
                        static_cast<std::uint64_t>(std::max(height, 0));
    if (raw.size() == 2 * pixels) return encode_checked(raw, encoded);
    if (raw.size() != pixels) {
        return Status::failure(path + " is " + std::to_string(raw.size()) + " bytes; a " +
                               std::to_string(width) + " x " + std::to_string(height) +
                               " image takes " + std::to_string(pixels) +
                               " (an index a pixel) or " + std::to_string(2 * pixels) +
                               " (an index and an alpha a pixel)");
    }
    std::vector<std::uint8_t> pairs(2 * raw.size(), 255);
    for (std::size_t i = 0; i < raw.size(); ++i) pairs[2 * i] = raw[i];
    raw = {};
    return encode_checked(pairs, encoded);
}

}  // namespace

Status load_raw_image(const std::string& path, std::vector<std::uint8_t>& encoded) {
    std::vector<std::uint8_t> raw;
    if (Status s = read_whole_file(path, raw); !s.ok()) return s;
    return encode_checked(raw, encoded);
}

ImportName parse_import_name(std::string_view path) {
    ImportName result;
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    result.folder = std::string(path.substr(0, nameStart));
    const std::string_view name = path.substr(nameStart);

    const std::size_t underscore = name.find('_');
    const std::size_t dot = name.find('.');
    if (underscore != std::string_view::npos)
        result.prefix = std::string(name.substr(0, underscore));

    std::string_view sizeText;
    if (dot != std::string_view::npos) {
        if (underscore == std::string_view::npos) {
            sizeText = name.substr(0, dot);
        } else if (dot > underscore) {
            sizeText = name.substr(underscore + 1, dot - underscore - 1);
        }
    }

    const std::size_t x = sizeText.find('x');
    if (x == std::string_view::npos) {
        result.heightText = std::string(sizeText);
    } else {
        result.widthText = std::string(sizeText.substr(0, x));
        result.heightText = std::string(sizeText.substr(x + 1));
    }
    result.palettePath = result.folder + result.prefix + ".act";
    result.gimpPalettePath = std::string(path) + ".pal";
    return result;
}

Status import_raw_by_name(const std::string& path, EncodedImage& image, Palette& palette) {
    // Every step that can fail runs before anything is stored, in the order the user
    // would meet the failures: the raw file, the height, the width, the palette file.
    std::vector<std::uint8_t> raw;
    if (Status s = read_whole_file(path, raw); !s.ok()) return s;

    const ImportName name = parse_import_name(path);
    std::int32_t height = 0;
    if (Status s = text_to_int(name.heightText, height); !s.ok()) return s;
    std::int32_t width = 0;
    if (Status s = text_to_int(name.widthText, width); !s.ok()) return s;
    std::vector<std::uint8_t> encoded;
    if (Status s = encode_sized(path, std::move(raw), width, height, encoded); !s.ok()) return s;

    Palette newPalette = palette;
    if (Status s = read_signed_or_act_palette(name.palettePath, newPalette); !s.ok()) {
        if (s.code() != ErrorCode::FileNotFound) return s;
        Status gimp = read_any_palette(name.gimpPalettePath, newPalette);
        if (gimp.code() == ErrorCode::FileNotFound) {
            return Status::failure("File not found: neither " + name.palettePath + " nor " +
                                   name.gimpPalettePath + " exists");
        }
        if (!gimp.ok()) return gimp;
    }

    image = {std::move(encoded), width, height};
    palette = newPalette;
    return Status::success();
}

}  // namespace dabro
