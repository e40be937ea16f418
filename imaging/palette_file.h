#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "document/sprite_document.h"
#include "document/status.h"

namespace dabro {

// A palette file is 256 triples red, green, blue, with nothing before or after them.
inline constexpr std::size_t kPaletteFileSize = 3 * kPaletteEntries;

// Entry i = red << 16 | green << 8 | blue of triple i; `bytes` must hold 768 bytes.
Palette palette_from_bytes(std::span<const std::uint8_t, kPaletteFileSize> bytes);

// The 768 bytes of a palette; bits 24..31 of each entry are not written.
std::array<std::uint8_t, kPaletteFileSize> palette_file_bytes(const Palette& palette);

// Reads the first 768 bytes of a palette file (read access only; later bytes are ignored)
// into `palette`. All or nothing: a shorter file fails with "Read beyond end of file" and
// `palette` keeps every entry.
Status read_palette_file(const std::string& path, Palette& palette);

// Writes exactly 768 bytes, atomically: the target is replaced only by a complete file.
Status write_palette_file(const std::string& path, const Palette& palette);

}  // namespace dabro
