#include "imaging/palette_file.h"

#include <vector>

#include "document/file_layer.h"

namespace dabro {

Palette palette_from_bytes(std::span<const std::uint8_t, kPaletteFileSize> bytes) {
    Palette palette{};
    for (int i = 0; i < kPaletteEntries; ++i) {
        const std::size_t at = 3 * static_cast<std::size_t>(i);
        palette[i] =
            std::uint32_t{bytes[at]} << 16 | std::uint32_t{bytes[at + 1]} << 8 | bytes[at + 2];
    }
    return palette;
}

std::array<std::uint8_t, kPaletteFileSize> palette_file_bytes(const Palette& palette) {
    std::array<std::uint8_t, kPaletteFileSize> bytes{};
    for (int i = 0; i < kPaletteEntries; ++i) {
        const std::size_t at = 3 * static_cast<std::size_t>(i);
        bytes[at] = static_cast<std::uint8_t>(palette[i] >> 16);
        bytes[at + 1] = static_cast<std::uint8_t>(palette[i] >> 8);
        bytes[at + 2] = static_cast<std::uint8_t>(palette[i]);
    }
    return bytes;
}

Status read_palette_file(const std::string& path, Palette& palette) {
    std::vector<std::uint8_t> bytes;
    if (Status s = read_file_prefix(path, kPaletteFileSize, bytes); !s.ok()) return s;
    if (bytes.size() < kPaletteFileSize) return Status::file_error(kReadBeyondEnd);
    palette = palette_from_bytes(
        std::span<const std::uint8_t, kPaletteFileSize>(bytes.data(), kPaletteFileSize));
    return Status::success();
}

Status write_palette_file(const std::string& path, const Palette& palette) {
    const auto bytes = palette_file_bytes(palette);
    return write_file_atomically(path, bytes);
}

}  // namespace dabro
