// Raw image files: their pixels, and Import by name's reading of a name, raw file and palette.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/sprite_document.h"
#include "document/status.h"
#include "interchange/palette_file.h"

namespace dabro {

// The one-pixel encoding of a raw image file's bytes (index, alpha per pixel). A lone last
// byte of an odd-sized file has no alpha and is ignored.
std::vector<std::uint8_t> encode_raw_pixels(std::span<const std::uint8_t> raw);

// The pixels of a raw file in the one-pixel encoding, for an image whose width and height
// stay. The file is read with read access only; on failure `data` is left as it was.
Status load_raw_image(const std::string& path, std::vector<std::uint8_t>& data);

// What Import by name takes from a file's path. For "items/sword_64x32.raw": folder
// "items/", prefix "sword", widthText "64", heightText "32", palettePath "items/sword.act".
// The prefix is the name before its first "_"; the size text lies between that "_" and the
// first "." (or before the "." without "_"; empty without "." or with "." before "_").
// The width text is the size text before its first lower-case "x", the height text after it;
// without an "x" the width text is empty and the height text is the whole size text.
struct ImportName {
    std::string folder;  // with its trailing '/', empty for a bare name
    std::string prefix;
    std::string widthText;
    std::string heightText;
    std::string palettePath;      // folder + prefix + ".act"
    std::string gimpPalettePath;  // the path + ".pal", where GIMP's raw export puts its palette
};
ImportName parse_import_name(std::string_view path);

// Import by name, all or nothing: reads the raw file, converts the height text and then
// the width text, checks the file's size against them (W x H bytes are one index a pixel,
// opaque, as GIMP exports an indexed image without alpha; 2 x W x H bytes an index and an
// alpha a pixel; any other size is refused), reads the palette file, and only then gives
// the image (data, width,
// height) and sets the entries the palette file holds in `palette` (palette 0 of the image's
// collection). The first failure is returned ("File not found", "'e_64x32' is not a valid
// integer value", ...) and neither output changes.
// When the palette path does not exist, GIMP's palette beside the raw file is read instead;
// when neither exists, the message names both. The prefix's .act is read as Palette > Import
// reads it (read_signed_or_act_palette), GIMP's palette in any format (read_any_palette).
Status import_raw_by_name(const std::string& path, EncodedImage& image, Palette& palette);

}  // namespace dabro
