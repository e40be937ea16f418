// APNG: each frame's rows compressed by the PNG encoder, wrapped in acTL, fcTL and fdAT chunks.
#include <zlib.h>

#include <cstring>
#include <span>

#include "document/limits.h"
#include "interchange/animation.h"
#include "interchange/png_codec.h"

namespace dabro {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void put_u16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

std::uint32_t get_u32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// Appends a chunk: length, type, `prefix` then `data` as its content, and the CRC of them.
void put_chunk(std::vector<std::uint8_t>& out, const char (&type)[5],
               std::span<const std::uint8_t> prefix, std::span<const std::uint8_t> data) {
    put_u32(out, static_cast<std::uint32_t>(prefix.size() + data.size()));
    const std::size_t crcFrom = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), prefix.begin(), prefix.end());
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32_z(0, out.data() + crcFrom, out.size() - crcFrom);
    put_u32(out, static_cast<std::uint32_t>(crc));
}

struct Chunk {
    std::string_view type;
    std::span<const std::uint8_t> data;
};

// The chunks of a PNG the encoder just wrote, which is sound by construction; a walk that
// finds otherwise fails rather than write a broken file.
Status chunks_of(std::span<const std::uint8_t> png, std::vector<Chunk>& chunks) {
    if (png.size() < 8 || std::memcmp(png.data(), kSignature, 8) != 0)
        return Status::failure("The PNG encoder wrote no PNG");
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = get_u32(png.data() + at);
        if (length > png.size() - at - 12) break;
        chunks.push_back(
            {{reinterpret_cast<const char*>(png.data() + at + 4), 4}, png.subspan(at + 8, length)});
        at += std::size_t{length} + 12;
    }
    if (at != png.size()) return Status::failure("The PNG encoder wrote a cut PNG");
    return Status::success();
}

class ApngWriter final : public AnimationWriter {
  public:
    explicit ApngWriter(const AnimationHeader& header) : header_(header) {}

    Status add_frame(const std::uint32_t* pixels, int delayMs) override {
        if (frame_ >= header_.frames) return Status::failure("More frames than the animation has");
        png_.clear();
        VectorByteSink sink(png_);
        const std::uint32_t width = header_.width;
        if (Status s = encode_png(
                width, header_.height,
                [&](std::uint32_t y) { return pixels + std::size_t{y} * width; }, sink);
            !s.ok())
            return s;
        std::vector<Chunk> chunks;
        if (Status s = chunks_of(png_, chunks); !s.ok()) return s;
        if (frame_ == 0) {
            out_.insert(out_.end(), kSignature, kSignature + 8);
            for (const Chunk& c : chunks)
                if (c.type == "IHDR") put_chunk(out_, "IHDR", {}, c.data);
            std::vector<std::uint8_t> actl;
            put_u32(actl, static_cast<std::uint32_t>(header_.frames));
            put_u32(actl, 0);  // plays: forever
            put_chunk(out_, "acTL", actl, {});
        }
        put_frame_control(delayMs);
        for (const Chunk& c : chunks) {
            if (c.type != "IDAT") continue;
            if (frame_ == 0) {
                put_chunk(out_, "IDAT", {}, c.data);
            } else {
                std::vector<std::uint8_t> seq;
                put_u32(seq, sequence_++);
                put_chunk(out_, "fdAT", seq, c.data);
            }
        }
        ++frame_;
        return Status::success();
    }

    Status finish(std::vector<std::uint8_t>& file) override {
        if (frame_ != header_.frames) return Status::failure("Fewer frames than the animation has");
        put_chunk(out_, "IEND", {}, {});
        file = std::move(out_);
        return Status::success();
    }

  private:
    // Every frame covers the whole picture and replaces it; the delay is kept in
    // milliseconds, or in hundredths where milliseconds pass 16 bits.
    void put_frame_control(int delayMs) {
        const auto ms = static_cast<std::uint32_t>(std::max(delayMs, 0));
        const bool inMs = ms <= 0xFFFF;
        const std::uint32_t num = inMs ? ms : std::min<std::uint32_t>((ms + 5) / 10, 0xFFFF);
        std::vector<std::uint8_t> fctl;
        put_u32(fctl, sequence_++);
        put_u32(fctl, header_.width);
        put_u32(fctl, header_.height);
        put_u32(fctl, 0);
        put_u32(fctl, 0);
        put_u16(fctl, static_cast<std::uint16_t>(num));
        put_u16(fctl, inMs ? 1000 : 100);
        fctl.push_back(0);  // dispose: none
        fctl.push_back(0);  // blend: source
        put_chunk(out_, "fcTL", fctl, {});
    }

    AnimationHeader header_;
    int frame_ = 0;
    std::uint32_t sequence_ = 0;
    std::vector<std::uint8_t> png_;
    std::vector<std::uint8_t> out_;
};

}  // namespace

Status make_apng_writer(const AnimationHeader& header, std::unique_ptr<AnimationWriter>& writer) {
    if (header.width > kMaxApngSide || header.height > kMaxApngSide)
        return Status::failure("An APNG cannot be that large");
    writer = std::make_unique<ApngWriter>(header);
    return Status::success();
}

}  // namespace dabro
