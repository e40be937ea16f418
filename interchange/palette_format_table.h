// The palette formats in one table: each one's name, label, extensions and dialog filter.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace dabro {

// The palette files other programs read and write.
//   Act     768 bytes of red, green, blue triples (later bytes ignored)      read, write
//   Act772  the same with a big-endian colour count and transparent index    read, write
//   Gpl     GIMP's text palette (also Krita, Aseprite, Inkscape)             read, write
//   Jasc    JASC-PAL text (Paint Shop Pro, Pixelorama, Aseprite)              read, write
//   Riff    the Windows RIFF "PAL " file                                     read
//   RawRgb  3 x N bytes, N from 1 to 255 (GIMP's raw export, <file>.raw.pal) read
enum class PaletteFormat { Act, Act772, Gpl, Jasc, Riff, RawRgb };

struct PaletteFormatEntry {
    PaletteFormat format;
    std::string_view name;       // the batch tool's --format name
    std::string_view label;      // the window's choice of export format; empty: read only
    std::string_view extension;  // without the dot, in lower case
};

// Every format, the writable ones first in the order the window and the batch tool offer
// them. A written file's extension asks for the first writable format that has it.
inline constexpr PaletteFormatEntry kPaletteFormats[] = {
    {PaletteFormat::Act, "act", "ACT, 768 bytes (.act)", "act"},
    {PaletteFormat::Act772, "act772", "ACT with colour count, 772 bytes (.act)", "act"},
    {PaletteFormat::Gpl, "gpl", "GIMP palette (.gpl)", "gpl"},
    {PaletteFormat::Jasc, "jasc", "JASC palette (.pal)", "pal"},
    {PaletteFormat::Riff, "riff", "", "pal"},
    {PaletteFormat::RawRgb, "raw", "", "raw"},
};

// The formats that can be written: those with a label.
std::span<const PaletteFormatEntry> writable_palette_formats();

// "act", "act772", "gpl", "jasc", "riff", "raw".
std::string_view palette_format_name(PaletteFormat format);

// A format that can be written, by its name ("act", "act772", "gpl", "jasc").
std::optional<PaletteFormat> writable_palette_format(std::string_view name);

// The writable formats' names for a message, "act, act772, gpl or jasc", or with `separator`
// between every two, as a usage line lists them: "act|act772|gpl|jasc".
std::string writable_palette_format_names(std::string_view separator = {});

// The format a written file's extension asks for: .act, .gpl, and .pal (JASC, the text
// format most programs that write .pal read).
std::optional<PaletteFormat> palette_format_for_extension(std::string_view path);

// A file's extension in lower case, without the dot; empty when it has none.
std::string file_extension(std::string_view path);

// The dialog filter of one writable format ("*.gpl|*.gpl") and of every readable one
// ("Palette files|*.act *.gpl *.pal *.raw|All files|*").
std::string palette_save_filter(const PaletteFormatEntry& entry);
std::string palette_open_filter();

}  // namespace dabro
