// Palette files of every format other programs read and write, by name, content and extension.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/sprite_document.h"
#include "document/status.h"
#include "interchange/palette_file.h"
#include "interchange/palette_format_table.h"

namespace dabro {

// A palette file's colours, in entry order: they set entries 0 to N - 1 of a palette.
struct PaletteFile {
    PaletteFormat format = PaletteFormat::Act;
    std::vector<std::uint32_t> colours;  // 0x00RRGGBB, 1 to 256
};

// The text formats and the RIFF file, from their bytes. A failure says which line (for RIFF,
// which byte) is wrong: "line 5: the value 300 is outside 0 to 255".
Status parse_gpl(std::string_view text, std::vector<std::uint32_t>& colours);
Status parse_jasc(std::string_view text, std::vector<std::uint32_t>& colours);
Status parse_riff_palette(std::span<const std::uint8_t> bytes, std::vector<std::uint32_t>& colours);

// The signed format a file's first bytes name (RIFF tried first, then GIMP, then JASC).
std::optional<PaletteFormat> palette_signature(std::span<const std::uint8_t> head);

// Recognises a palette by its content: a file of `fileSize` bytes beginning with `head`
// (at least its first min(fileSize, kMaxPaletteTextSize) bytes). A signature ("RIFF"..."PAL ",
// "GIMP Palette", "JASC-PAL") decides whatever the name; without one the size tells the
// headerless layouts apart, raw RGB only below 768 bytes. The extension only chooses the
// message for a file that fits nothing. Failures name the file.
Status parse_palette_file(std::string_view path, std::size_t fileSize,
                          std::span<const std::uint8_t> head, PaletteFile& out);

// Reads a palette file of any of the formats above (read access only).
Status read_palette_colours(const std::string& path, PaletteFile& out);

// Reads a palette file of any of the formats above into `into`: its N colours set entries 0
// to N - 1 and the others stay. All or nothing: on failure `into` is unchanged.
Status read_any_palette(const std::string& path, Palette& into);

// Palette > Import's reading: a file with a signature (GIMP, JASC, RIFF) is read as that
// format; any other is the 768-byte palette file, whose first 768 bytes set every entry, and
// a shorter one fails with "Read beyond end of file". All or nothing, like read_any_palette.
Status read_signed_or_act_palette(const std::string& path, Palette& into);

// The bytes of a palette written in a writable format; `name` is the GIMP palette's name.
std::vector<std::uint8_t> palette_file_contents(const Palette& palette, PaletteFormat format,
                                                std::string_view name);

// Writes all 256 entries in `format`, atomically. A GIMP palette is named `name`, or after
// the file when `name` is empty.
Status write_palette_as(const std::string& path, const Palette& palette, PaletteFormat format,
                        std::string_view name = {});

}  // namespace dabro
