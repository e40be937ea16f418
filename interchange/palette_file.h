// The palette formats, the 768-byte palette file and the headerless layouts of triples.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/sprite_document.h"
#include "document/status.h"
#include "interchange/palette_format_table.h"

namespace dabro {

// A palette file is 256 triples red, green, blue, with nothing before or after them.
inline constexpr std::size_t kPaletteFileSize = 3 * kPaletteEntries;

// Entry i = red << 16 | green << 8 | blue of triple i; `bytes` must hold 768 bytes.
Palette palette_from_bytes(std::span<const std::uint8_t, kPaletteFileSize> bytes);

// The 768 bytes of a palette; bits 24..31 of each entry are not written.
std::array<std::uint8_t, kPaletteFileSize> palette_file_bytes(const Palette& palette);

// The headerless layouts (Act, Act772, RawRgb) are told apart by the file's size:
//   Act      768 bytes or more: 256 colours, later bytes ignored;
//   Act772   exactly 772 bytes whose last four are a big-endian colour count from 1 to 256
//            and a transparent index (0xFFFF for none, else below 256): that many colours;
//   RawRgb   3 x N bytes with N from 1 to 255 (GIMP's raw export writes its palette so).
// A 772-byte file whose last four bytes are no count is an Act with bytes to ignore.

// Bytes a caller needs to hold from the start of a file to tell and read its layout.
inline constexpr std::size_t kBinaryPaletteHead = kPaletteFileSize + 4;

// The headerless layout of a file of `fileSize` bytes that begins with `head` (at least
// min(fileSize, kBinaryPaletteHead) bytes of it); none when no layout fits.
std::optional<PaletteFormat> binary_palette_kind(std::size_t fileSize,
                                                 std::span<const std::uint8_t> head);

// The colours of a file of a headerless layout, 0x00RRGGBB in entry order.
std::vector<std::uint32_t> binary_palette_colours(PaletteFormat kind,
                                                  std::span<const std::uint8_t> head);

// Entries 0 to N - 1 of `palette` take the N colours (at most 256); the others stay.
void apply_colours(std::span<const std::uint32_t> colours, Palette& palette);

// Reads whichever headerless layout the file has (read access only) and sets the entries it
// gives. All or nothing: a file of no layout, shorter than 768 bytes, fails with "Read beyond
// end of file", one longer is an Act; `palette` then keeps every entry.
Status read_binary_palette(const std::string& path, Palette& palette);

}  // namespace dabro
