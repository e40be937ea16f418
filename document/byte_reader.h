// Bounds-checked little-endian reads from a byte span.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace dabro {

// Reads little-endian values from a byte span. Every read is bounds-checked; a read past
// the end yields zero and sets a sticky flag, so a parser may read a group of fields and
// check `ok()` once before it uses any of them.
class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }
    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    std::size_t size() const { return bytes_.size(); }

    std::uint8_t u8() {
        if (!take(1)) return 0;
        return bytes_[pos_ - 1];
    }
    std::uint16_t u16() {
        if (!take(2)) return 0;
        const std::uint8_t* p = bytes_.data() + pos_ - 2;
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32() {
        if (!take(4)) return 0;
        const std::uint8_t* p = bytes_.data() + pos_ - 4;
        return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }

    void skip(std::size_t n) { take(n); }

    // The next n bytes, or an empty span (and the flag set) when fewer are left.
    std::span<const std::uint8_t> bytes(std::size_t n) {
        if (!take(n)) return {};
        return bytes_.subspan(pos_ - n, n);
    }

    void seek(std::size_t position) {
        if (position > bytes_.size()) {
            ok_ = false;
            pos_ = bytes_.size();
            return;
        }
        pos_ = position;
    }

  private:
    bool take(std::size_t n) {
        if (!ok_ || n > bytes_.size() - pos_) {
            ok_ = false;
            pos_ = bytes_.size();
            return false;
        }
        pos_ += n;
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace dabro
