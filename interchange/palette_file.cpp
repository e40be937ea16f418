// The 768-byte palette file and the headerless layouts of colour triples.
#include "interchange/palette_file.h"

#include <algorithm>
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

std::optional<PaletteFormat> binary_palette_kind(std::size_t fileSize,
                                                 std::span<const std::uint8_t> head) {
    if (fileSize == kBinaryPaletteHead && head.size() >= kBinaryPaletteHead) {
        const unsigned count = unsigned{head[768]} << 8 | head[769];
        const unsigned transparent = unsigned{head[770]} << 8 | head[771];
        if (count >= 1 && count <= kPaletteEntries &&
            (transparent == 0xFFFF || transparent < kPaletteEntries))
            return PaletteFormat::Act772;
    }
    if (fileSize >= kPaletteFileSize) return PaletteFormat::Act;
    if (fileSize > 0 && fileSize % 3 == 0) return PaletteFormat::RawRgb;
    return std::nullopt;
}

std::vector<std::uint32_t> binary_palette_colours(PaletteFormat kind,
                                                  std::span<const std::uint8_t> head) {
    std::size_t count = 0;
    switch (kind) {
        case PaletteFormat::Act:
            count = kPaletteEntries;
            break;
        case PaletteFormat::Act772:
            count = std::size_t{head[768]} << 8 | head[769];
            break;
        case PaletteFormat::RawRgb:
            count = head.size() / 3;
            break;
        default:
            break;
    }
    count = std::min({count, head.size() / 3, std::size_t{kPaletteEntries}});
    std::vector<std::uint32_t> colours(count);
    for (std::size_t i = 0; i < count; ++i)
        colours[i] = std::uint32_t{head[3 * i]} << 16 | std::uint32_t{head[3 * i + 1]} << 8 |
                     head[3 * i + 2];
    return colours;
}

void apply_colours(std::span<const std::uint32_t> colours, Palette& palette) {
    const std::size_t n = std::min(colours.size(), palette.size());
    std::copy_n(colours.begin(), n, palette.begin());
}

Status read_binary_palette(const std::string& path, Palette& palette) {
    FileReader file;
    if (Status s = file.open(path); !s.ok()) return s;
    const std::size_t size = file.size();
    std::vector<std::uint8_t> head(std::min(size, kBinaryPaletteHead));
    if (!file.read(head.data(), head.size())) return file.status();
    const std::optional<PaletteFormat> kind = binary_palette_kind(size, head);
    if (!kind) return Status::file_error(ErrorCode::ReadBeyondEnd).about(path);
    apply_colours(binary_palette_colours(*kind, head), palette);
    return Status::success();
}

}  // namespace dabro
