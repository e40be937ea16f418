// Names as text: single-byte names read as UTF-8 or Latin-1, and cut to a length.
#include "document/name_text.h"

namespace dabro {

namespace {

// The length of the well-formed UTF-8 sequence at the start of `s`, or 0 when there is none
// (overlong forms, surrogates and values above U+10FFFF included).
std::size_t sequence_length(std::string_view s) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b = byte(0);
    if (b < 0x80) return 1;
    std::size_t n = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < n) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < n; ++i)
        if ((byte(i) & 0xC0) != 0x80) return 0;
    return n;
}

}  // namespace

bool is_valid_utf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t n = sequence_length(bytes);
        if (n == 0) return false;
        bytes.remove_prefix(n);
    }
    return true;
}

std::string latin1_to_utf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (b >> 6));
            text += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return text;
}

std::string utf8_for_json(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t n = sequence_length(bytes);
        text += n == 0 ? std::string_view("\xEF\xBF\xBD") : bytes.substr(0, n);
        bytes.remove_prefix(n == 0 ? 1 : n);
    }
    return text;
}

std::string display_name_utf8(std::string_view bytes) {
    return is_valid_utf8(bytes) ? std::string(bytes) : latin1_to_utf8(bytes);
}

std::size_t cut_length(std::string_view bytes, std::size_t most) {
    if (bytes.size() <= most) return bytes.size();
    if (!is_valid_utf8(bytes)) return most;
    std::size_t keep = 0;
    while (keep < bytes.size()) {
        const std::size_t n = sequence_length(bytes.substr(keep));
        if (keep + n > most) break;
        keep += n;
    }
    return keep;
}

}  // namespace dabro
