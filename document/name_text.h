// Names as text: single-byte names read as UTF-8 or Latin-1, and cut to a length.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dabro {

// Names are single bytes in files. These turn them into text for people, and cut them.

bool is_valid_utf8(std::string_view bytes);

// Each byte as the character of the same number (Latin-1), written as UTF-8.
std::string latin1_to_utf8(std::string_view bytes);

// Bytes as valid UTF-8 for a JSON string, such as a file name: each byte that does not
// belong to a well-formed character becomes U+FFFD.
std::string utf8_for_json(std::string_view bytes);

// A name as the window shows it: the bytes themselves when they are valid UTF-8, else their
// Latin-1 reading.
std::string display_name_utf8(std::string_view bytes);

// How many of the first `most` bytes to keep so that a valid UTF-8 text is not cut inside a
// character; other bytes are cut at `most`.
std::size_t cut_length(std::string_view bytes, std::size_t most);

}  // namespace dabro
