// Fuzz target: the fields' text-to-number reading against a reference.
#include <charconv>
#include <optional>
#include <string>

#include "document/text_to_int.h"
#include "fuzz/fuzz_target.h"

namespace dabro::fuzz {

namespace {

bool all_of(std::string_view text, bool (*accept)(char)) {
    for (char c : text)
        if (!accept(c)) return false;
    return true;
}

bool is_decimal(char c) {
    return c >= '0' && c <= '9';
}
bool is_hex(char c) {
    return is_decimal(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string_view without_leading_zeros(std::string_view digits) {
    const auto first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? digits.substr(digits.size() - 1)
                                           : digits.substr(first);
}

// The rule written a second way, through the standard library, to hold the real one to.
std::optional<std::int32_t> reference(std::string_view text) {
    const auto start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) return std::nullopt;
    text.remove_prefix(start);
    if (text.front() == '$') {
        std::string_view digits = text.substr(1);
        if (digits.empty() || !all_of(digits, is_hex)) return std::nullopt;
        digits = without_leading_zeros(digits);
        if (digits.size() > 8) return std::nullopt;
        std::uint32_t value = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        return static_cast<std::int32_t>(value);
    }
    const bool negative = text.front() == '-';
    if (text.front() == '-' || text.front() == '+') text.remove_prefix(1);
    if (text.empty() || !all_of(text, is_decimal)) return std::nullopt;
    text = without_leading_zeros(text);
    if (text.size() > 10) return std::nullopt;
    std::int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

int text_to_int(Input data) {
    const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
    const std::optional<std::int32_t> value = dabro::text_to_int(text);
    FUZZ_CHECK(value == reference(text));

    std::int32_t out = 0x5A5A5A5A;
    const Status status = dabro::text_to_int(text, out);
    FUZZ_CHECK(status.ok() == value.has_value());
    if (value) {
        FUZZ_CHECK(out == *value);
    } else {
        FUZZ_CHECK(out == 0x5A5A5A5A);
        FUZZ_CHECK(status.message() == "'" + std::string(text) + "' is not a valid integer value");
    }
    return 0;
}

}  // namespace dabro::fuzz
