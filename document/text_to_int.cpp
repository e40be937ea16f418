// The one rule by which texts become 32-bit integers.
#include "document/text_to_int.h"

#include <string>

namespace dabro {

namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::int32_t> text_to_int(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i == text.size()) return std::nullopt;

    if (text[i] == '$') {
        ++i;
        if (i == text.size()) return std::nullopt;
        std::uint64_t value = 0;
        for (; i < text.size(); ++i) {
            const int d = hex_digit(text[i]);
            if (d < 0) return std::nullopt;
            value = value * 16 + static_cast<std::uint64_t>(d);
            if (value > 0xFFFFFFFFu) return std::nullopt;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }

    bool negative = false;
    if (text[i] == '-' || text[i] == '+') {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > limit) return std::nullopt;
    }
    const std::int64_t signed_value =
        negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
    return static_cast<std::int32_t>(signed_value);
}

Status conversion_error(std::string_view text) {
    // Built by appending: g++ 12 at -O3 warns falsely (-Wrestrict) on "'" + std::string(...).
    std::string message;
    message.reserve(text.size() + 32);
    message.append("'").append(text).append("' is not a valid integer value");
    return Status::failure(std::move(message));
}

Status text_to_int(std::string_view text, std::int32_t& value) {
    const auto converted = text_to_int(text);
    if (!converted) return conversion_error(text);
    value = *converted;
    return Status::success();
}

}  // namespace dabro
