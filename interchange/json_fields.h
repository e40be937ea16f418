// Checked reading and writing of the interchange files' JSON fields.
#pragma once

#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "document/sprite_document.h"
#include "document/status.h"

// Checked reading of the JSON the interchange files hold. The readers throw JsonFieldError
// naming the field's path (for example slots[3].box.left); the public entry points catch it
// and return it as a Status, so no exception leaves the library.
namespace dabro::json_fields {

// The range of the files' signed 32-bit fields.
inline constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

using Json = nlohmann::json;

class JsonFieldError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const std::string& path, const std::string& what);

std::string at_key(const std::string& path, std::string_view key);
std::string at_index(const std::string& path, std::size_t index);

const Json& object(const Json& value, const std::string& path);
// The member `key` of an object, which must be there.
const Json& member(const Json& object, const std::string& path, std::string_view key);
const Json& array(const Json& value, const std::string& path);
std::int64_t integer(const Json& value, const std::string& path, std::int64_t low,
                     std::int64_t high);
std::string text(const Json& value, const std::string& path);
// A name of at most `maxBytes` single-byte characters, held in the JSON as UTF-8.
std::string latin1_name(const Json& value, const std::string& path, std::size_t maxBytes);
// A colour "#rrggbb" as 0x00RRGGBB.
std::uint32_t colour(const Json& value, const std::string& path);

// A colour 0x00RRGGBB as "#rrggbb".
std::string colour_text(std::uint32_t colour);

// The file's top-level "version", which must be `expected`.
void check_version(const Json& json, std::int64_t expected);

// The sprite header's fields, in the order the files hold them.
template <typename AnyJson>
void put_header(AnyJson& json, const SpriteHeader& header) {
    json["dimensions"] = header.dimensions;
    json["centerX"] = header.centerX;
    json["centerY"] = header.centerY;
    json["headerWord"] = header.headerWord;
    json["headerByte"] = header.headerByte;
}

// Parses JSON text; a malformed text fails with its line and column.
Status parse(std::span<const std::uint8_t> bytes, const std::string& name, Json& out);

// Runs `read`, turning a JsonFieldError into a failure that names the file.
template <typename Read>
Status checked(const std::string& name, Read&& read) {
    try {
        read();
    } catch (const JsonFieldError& e) {
        return Status::failure(name + ": " + e.what());
    }
    return Status::success();
}

}  // namespace dabro::json_fields
