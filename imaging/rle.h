// The run-length pixel data: its commands and the one walk over them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

#include "document/sprite_document.h"

namespace dabro {

// Pixel data are a string of commands. A command byte holds a count (bits 7..2, 0 to 63)
// and a kind (bits 1..0); the operands of each covered pixel follow it:
//   kind 0: none (transparent)         kind 1: index (opaque)
//   kind 2: index, alpha               kind 3: alpha (black)
// There is no terminator; dataLength alone ends the data.

inline constexpr std::uint8_t kTransparentPixelByte = 4;  // count 1, kind 0
inline constexpr std::uint8_t kIndexAlphaPixelByte = 6;   // count 1, kind 2

// Where the row ends. The preview checks after each command (a run past the row keeps
// delivering pixels at x = width, width + 1, ... of the same row); halving checks after
// each pixel. Both agree on data in which no command crosses the end of a row.
enum class RowRule { Preview, Halving };

// One decoded pixel. Kinds 0 and 3 carry index 0; kind 0 carries alpha 0, kind 1 alpha 255.
struct RlePixel {
    std::uint8_t kind = 0;
    std::uint8_t index = 0;
    std::uint8_t alpha = 0;
    // Kinds 1 and 2 take their colour from the palette; 0 and 3 are black.
    bool uses_palette() const { return kind == 1 || kind == 2; }
};

struct RleCommand {
    std::uint8_t kind = 0;
    std::uint8_t count = 0;
    std::size_t operands = 0;  // position of the first operand byte
};

constexpr std::size_t operand_bytes_per_pixel(std::uint8_t kind) {
    return kind == 0 ? 0 : kind == 2 ? 2 : 1;
}

// Reads the command at `pos` and moves `pos` past it and its operands. Returns false,
// leaving `pos` alone, when the data end before the command's operands do: a cut command
// delivers no pixel and ends the walk.
inline bool read_command(std::span<const std::uint8_t> data, std::size_t& pos,
                         RleCommand& command) {
    if (pos >= data.size()) return false;
    const std::uint8_t byte = data[pos];
    const std::size_t need = operand_bytes_per_pixel(byte & 3u) * (byte >> 2);
    if (data.size() - pos - 1 < need) return false;
    command.kind = static_cast<std::uint8_t>(byte & 3u);
    command.count = static_cast<std::uint8_t>(byte >> 2);
    command.operands = pos + 1;
    pos += 1 + need;
    return true;
}

// The bytes of an image that a decoder may read: never more than dataLength, nor more than
// the buffer holds, and none for a negative dataLength.
inline std::span<const std::uint8_t> encoded_bytes(const CollectionImage& image) {
    if (image.dataLength <= 0) return {};
    const auto n = static_cast<std::size_t>(image.dataLength);
    return {image.data.data(), n < image.data.size() ? n : image.data.size()};
}

enum class WalkEnd {
    Complete,  // every byte was consumed
    CutShort,  // the last command's operands ran past the end of the data
    Stopped,   // the visitor asked to stop
};

// The one decoding walk. Calls `visit(x, y, pixel)` for each pixel in order, with x and y
// as 64-bit values (a run past the row can take x beyond any 32-bit width). `visit` may
// return bool; false stops the walk. A width of 0 or less ends the row after every check.
template <RowRule Rule, typename Visitor>
WalkEnd walk_rle(std::span<const std::uint8_t> data, std::int32_t width, Visitor&& visit) {
    std::int64_t x = 0;
    std::int64_t y = 0;
    const std::int64_t w = width;
    std::size_t pos = 0;
    RleCommand command;
    const std::uint8_t* bytes = data.data();

    auto deliver = [&](const RlePixel& pixel) -> bool {
        bool keepGoing = true;
        if constexpr (std::is_same_v<decltype(visit(x, y, pixel)), bool>) {
            keepGoing = visit(x, y, pixel);
        } else {
            visit(x, y, pixel);
        }
        ++x;
        if constexpr (Rule == RowRule::Halving) {
            if (x >= w) {
                x = 0;
                ++y;
            }
        }
        return keepGoing;
    };

    while (pos < data.size()) {
        if (!read_command(data, pos, command)) return WalkEnd::CutShort;
        const std::uint8_t* op = bytes + command.operands;
        const int n = command.count;
        switch (command.kind) {
            case 0:
                for (int i = 0; i < n; ++i) {
                    if (!deliver(RlePixel{0, 0, 0})) return WalkEnd::Stopped;
                }
                break;
            case 1:
                for (int i = 0; i < n; ++i) {
                    if (!deliver(RlePixel{1, op[i], 255})) return WalkEnd::Stopped;
                }
                break;
            case 2:
                for (int i = 0; i < n; ++i) {
                    if (!deliver(RlePixel{2, op[2 * i], op[2 * i + 1]})) return WalkEnd::Stopped;
                }
                break;
            default:
                for (int i = 0; i < n; ++i) {
                    if (!deliver(RlePixel{3, 0, op[i]})) return WalkEnd::Stopped;
                }
                break;
        }
        if constexpr (Rule == RowRule::Preview) {
            if (x >= w) {
                x = 0;
                ++y;
            }
        }
    }
    return WalkEnd::Complete;
}

// The one-pixel encoding the program writes: alpha 0 as the byte 4 (the index is
// dropped), any other alpha as 6, index, alpha.
inline void append_pixel(std::vector<std::uint8_t>& out, std::uint8_t index, std::uint8_t alpha) {
    if (alpha == 0) {
        out.push_back(kTransparentPixelByte);
    } else {
        out.push_back(kIndexAlphaPixelByte);
        out.push_back(index);
        out.push_back(alpha);
    }
}

constexpr std::size_t encoded_pixel_size(std::uint8_t alpha) {
    return alpha == 0 ? 1 : 3;
}

// The failure of an operation whose result would hold more than kMaxDataLength bytes.
inline constexpr const char* kDataTooLongMessage = "Image data too long";

}  // namespace dabro
