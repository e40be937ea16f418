// The one rule by which texts become 32-bit integers.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "document/status.h"

namespace dabro {

// The one rule by which field texts and the numbers in an imported file's name become
// integers: leading blanks, then an optional sign and decimal digits in the 32-bit signed
// range, or "$" and hexadecimal digits below 2^32 taken as a 32-bit pattern. Nothing may
// follow the digits.
std::optional<std::int32_t> text_to_int(std::string_view text);

// The same rule as a Status: on failure "'TEXT' is not a valid integer value".
Status text_to_int(std::string_view text, std::int32_t& value);

Status conversion_error(std::string_view text);

}  // namespace dabro
