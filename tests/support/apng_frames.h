// Splits an APNG into one plain PNG per frame, for reading each back with the PNG reader.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

namespace dabro::test {

struct ApngFrame {
    std::vector<std::uint8_t> png;  // a PNG of the frame's own size holding its data
    std::uint16_t delayNum = 0;
    std::uint16_t delayDen = 0;
};

struct ApngFile {
    bool ok = false;           // the chunks were whole and in the order APNG allows
    std::uint32_t frames = 0;  // acTL's count
    std::uint32_t plays = 1;   // acTL's plays; 0 for forever
    std::vector<ApngFrame> list;
};

namespace apng_detail {

inline std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

inline void chunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data,
                  std::size_t size) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(size >> s));
    const std::size_t from = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    const auto crc = static_cast<std::uint32_t>(crc32_z(0, out.data() + from, out.size() - from));
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(crc >> s));
}

}  // namespace apng_detail

// Walks the chunks: fcTL starts a frame, IDAT and fdAT (without its sequence number) add to
// it; every chunk's CRC must be right and sequence numbers must count up from 0.
inline ApngFile split_apng(std::span<const std::uint8_t> file) {
    using namespace apng_detail;
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ApngFile result;
    if (file.size() < 8 || std::memcmp(file.data(), kSignature, 8) != 0) return result;
    std::vector<std::uint8_t> ihdr;
    std::uint32_t nextSequence = 0;
    bool ended = false;
    std::size_t at = 8;
    while (at + 12 <= file.size() && !ended) {
        const std::uint32_t length = be32(file.data() + at);
        if (length > file.size() - at - 12) return result;
        const std::uint8_t* type = file.data() + at + 4;
        const std::uint8_t* body = type + 4;
        if (be32(body + length) != static_cast<std::uint32_t>(crc32_z(0, type, length + 4)))
            return result;
        const std::string_view name(reinterpret_cast<const char*>(type), 4);
        if (name == "IHDR" && length == 13) {
            ihdr.assign(body, body + 13);
        } else if (name == "acTL" && length == 8) {
            result.frames = be32(body);
            result.plays = be32(body + 4);
        } else if (name == "fcTL" && length == 26) {
            if (be32(body) != nextSequence++ || ihdr.empty()) return result;
            ApngFrame frame;
            frame.png.assign(kSignature, kSignature + 8);
            std::vector<std::uint8_t> header = ihdr;
            std::memcpy(header.data(), body + 4, 8);  // the frame's width and height
            chunk(frame.png, "IHDR", header.data(), header.size());
            frame.delayNum = static_cast<std::uint16_t>(body[20] << 8 | body[21]);
            frame.delayDen = static_cast<std::uint16_t>(body[22] << 8 | body[23]);
            result.list.push_back(std::move(frame));
        } else if ((name == "IDAT" || name == "fdAT") && !result.list.empty()) {
            std::size_t skip = 0;
            if (name == "fdAT") {
                if (length < 4 || be32(body) != nextSequence++) return result;
                skip = 4;
            }
            chunk(result.list.back().png, "IDAT", body + skip, length - skip);
        } else if (name == "IEND") {
            ended = true;
        }
        at += std::size_t{length} + 12;
    }
    if (!ended || at != file.size()) return result;
    for (ApngFrame& frame : result.list) chunk(frame.png, "IEND", nullptr, 0);
    result.ok = result.frames == result.list.size();
    return result;
}

}  // namespace dabro::test
