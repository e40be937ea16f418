// GIF through giflib: one global colour table, a transparent index where needed, alpha cut at 128.
#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <unordered_map>

#include "interchange/animation.h"

namespace dabro {

namespace {

constexpr std::uint32_t kTransparent = 0xFFFFFFFFu;  // no colour has this key (keys are RGB)

// A pixel's colour under GIF's alpha rule: opaque in its colour from alpha 128, else none.
inline std::uint32_t gif_key(std::uint32_t rgba) {
    return (rgba >> 24) >= 128 ? rgba & 0xFFFFFFu : kTransparent;
}

int write_to_vector(GifFileType* gif, const GifByteType* bytes, int length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), bytes, bytes + length);
    return length;
}

Status gif_failure(int error) {
    return Status::failure(std::string("The GIF could not be written: ") +
                           (GifErrorString(error) != nullptr ? GifErrorString(error) : "error"));
}

class GifWriter final : public AnimationWriter {
  public:
    explicit GifWriter(const AnimationHeader& header) : header_(header) {
        cache_.fill({kTransparent - 1, 0});
    }

    // The frames are kept as indices into the colours met so far; the table is known only
    // once every frame is in.
    Status add_frame(const std::uint32_t* pixels, int delayMs) override {
        if (static_cast<int>(delays_.size()) >= header_.frames)
            return Status::failure("More frames than the animation has");
        const std::size_t n = std::size_t{header_.width} * header_.height;
        const std::size_t base = indices_.size();
        indices_.resize(base + n);
        std::uint16_t* out = indices_.data() + base;
        for (std::size_t i = 0; i < n; ++i) out[i] = index_of(gif_key(pixels[i]));
        delays_.push_back(delayMs);
        return Status::success();
    }

    Status finish(std::vector<std::uint8_t>& file) override {
        if (static_cast<int>(delays_.size()) != header_.frames)
            return Status::failure("Fewer frames than the animation has");
        std::vector<std::uint8_t> remap;
        std::vector<GifColorType> table;
        int transparentIndex = NO_TRANSPARENT_COLOR;
        build_table(remap, table, transparentIndex);

        std::vector<std::uint8_t> bytes;
        int error = 0;
        GifFileType* gif = EGifOpen(&bytes, write_to_vector, &error);
        if (gif == nullptr) return gif_failure(error);
        const Status s = write(gif, remap, table, transparentIndex);
        if (EGifCloseFile(gif, &error) == GIF_ERROR && s.ok()) return gif_failure(error);
        if (!s.ok()) return s;
        file = std::move(bytes);
        return Status::success();
    }

  private:
    std::uint16_t index_of(std::uint32_t key) {
        auto& slot = cache_[(key * 2654435761u) >> 20 & (kCacheSize - 1)];
        if (slot.first == key) {
            ++counts_[slot.second];
            return slot.second;
        }
        auto [it, fresh] = seen_.try_emplace(key, static_cast<std::uint16_t>(keys_.size()));
        if (fresh) {
            // Past 65535 colours every new one shares the last index; those are matched to
            // the nearest kept colour anyway.
            if (keys_.size() == 0xFFFF) {
                it->second = 0xFFFE;
            } else {
                keys_.push_back(key);
                counts_.push_back(0);
            }
        }
        slot = {key, it->second};
        ++counts_[it->second];
        return it->second;
    }

    // The colours in the order met, the transparent index after them. With more colours than
    // a table holds, the most used are kept and the others drawn in the nearest kept colour.
    void build_table(std::vector<std::uint8_t>& remap, std::vector<GifColorType>& table,
                     int& transparentIndex) const {
        const bool clear = seen_.count(kTransparent) != 0;
        std::vector<std::size_t> colours;
        for (std::size_t i = 0; i < keys_.size(); ++i)
            if (keys_[i] != kTransparent) colours.push_back(i);
        const std::size_t room = clear ? 255 : 256;
        if (colours.size() > room) {
            std::stable_sort(colours.begin(), colours.end(),
                             [&](std::size_t a, std::size_t b) { return counts_[a] > counts_[b]; });
            colours.resize(room);
            std::sort(colours.begin(), colours.end());
        }
        for (std::size_t i : colours) {
            const std::uint32_t k = keys_[i];
            table.push_back({static_cast<GifByteType>(k & 0xFF),
                             static_cast<GifByteType>(k >> 8 & 0xFF),
                             static_cast<GifByteType>(k >> 16 & 0xFF)});
        }
        if (clear) transparentIndex = static_cast<int>(table.size());
        if (clear || table.empty()) table.push_back({0, 0, 0});
        remap.assign(keys_.size(), 0);
        for (std::size_t i = 0; i < keys_.size(); ++i) {
            if (keys_[i] == kTransparent) {
                remap[i] = static_cast<std::uint8_t>(transparentIndex);
                continue;
            }
            remap[i] = nearest(keys_[i], table, transparentIndex);
        }
    }

    static std::uint8_t nearest(std::uint32_t key, const std::vector<GifColorType>& table,
                                int transparentIndex) {
        int best = 0;
        long bestDistance = -1;
        for (int t = 0; t < static_cast<int>(table.size()); ++t) {
            if (t == transparentIndex) continue;
            const long dr = long(key & 0xFF) - table[std::size_t(t)].Red;
            const long dg = long(key >> 8 & 0xFF) - table[std::size_t(t)].Green;
            const long db = long(key >> 16 & 0xFF) - table[std::size_t(t)].Blue;
            const long d = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || d < bestDistance) {
                best = t;
                bestDistance = d;
                if (d == 0) break;
            }
        }
        return static_cast<std::uint8_t>(best);
    }

    Status write(GifFileType* gif, const std::vector<std::uint8_t>& remap,
                 std::vector<GifColorType>& table, int transparentIndex) const {
        int size = 2;
        while (size < static_cast<int>(table.size())) size *= 2;
        table.resize(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
        ColorMapObject* map = GifMakeMapObject(size, table.data());
        if (map == nullptr) return Status::failure("Out of memory");
        EGifSetGifVersion(gif, true);
        const int w = static_cast<int>(header_.width);
        const int h = static_cast<int>(header_.height);
        const bool ok = EGifPutScreenDesc(gif, w, h, 8, 0, map) == GIF_OK;
        GifFreeMapObject(map);
        if (!ok) return gif_failure(gif->Error);
        static const GifByteType kLoop[] = {1, 0, 0};  // sub-block 1: plays forever
        if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
            EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_ERROR ||
            EGifPutExtensionBlock(gif, 3, kLoop) == GIF_ERROR ||
            EGifPutExtensionTrailer(gif) == GIF_ERROR)
            return gif_failure(gif->Error);
        std::vector<GifPixelType> line(header_.width);
        const std::size_t n = std::size_t{header_.width} * header_.height;
        for (std::size_t f = 0; f < delays_.size(); ++f) {
            GraphicsControlBlock gcb{};
            // Where pixels are clear, the frame before must not show through.
            gcb.DisposalMode =
                transparentIndex == NO_TRANSPARENT_COLOR ? DISPOSE_DO_NOT : DISPOSE_BACKGROUND;
            gcb.DelayTime = gif_delay_centiseconds(delays_[f]);
            gcb.TransparentColor = transparentIndex;
            GifByteType extension[4];
            const auto length = static_cast<int>(EGifGCBToExtension(&gcb, extension));
            if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, length, extension) == GIF_ERROR ||
                EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_ERROR)
                return gif_failure(gif->Error);
            const std::uint16_t* frame = indices_.data() + f * n;
            for (int y = 0; y < h; ++y) {
                const std::uint16_t* row = frame + std::size_t(y) * header_.width;
                for (std::size_t x = 0; x < line.size(); ++x) line[x] = remap[row[x]];
                if (EGifPutLine(gif, line.data(), w) == GIF_ERROR) return gif_failure(gif->Error);
            }
        }
        return Status::success();
    }

    static constexpr std::size_t kCacheSize = 4096;
    AnimationHeader header_;
    std::vector<std::uint16_t> indices_;
    std::vector<int> delays_;
    std::vector<std::uint32_t> keys_;
    std::vector<std::uint64_t> counts_;
    std::unordered_map<std::uint32_t, std::uint16_t> seen_;
    std::array<std::pair<std::uint32_t, std::uint16_t>, kCacheSize> cache_;
};

}  // namespace

Status make_gif_writer(const AnimationHeader& header, std::unique_ptr<AnimationWriter>& writer) {
    if (header.width > 0xFFFF || header.height > 0xFFFF)
        return Status::failure("A GIF can be at most 65535 pixels a side; this one would be " +
                               std::to_string(header.width) + " x " +
                               std::to_string(header.height));
    writer = std::make_unique<GifWriter>(header);
    return Status::success();
}

}  // namespace dabro
