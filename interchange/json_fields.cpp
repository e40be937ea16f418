// Checked reading and writing of the interchange files' JSON fields.
#include "interchange/json_fields.h"

namespace dabro::json_fields {

void fail(const std::string& path, const std::string& what) {
    throw JsonFieldError(path.empty() ? what : path + " " + what);
}

std::string at_key(const std::string& path, std::string_view key) {
    return path.empty() ? std::string(key) : path + "." + std::string(key);
}

std::string at_index(const std::string& path, std::size_t index) {
    return path + "[" + std::to_string(index) + "]";
}

namespace {

std::string shown(const std::string& path) {
    return path.empty() ? "the top level" : path;
}

}  // namespace

const Json& object(const Json& value, const std::string& path) {
    if (!value.is_object()) fail(shown(path), "must be an object");
    return value;
}

const Json& member(const Json& object, const std::string& path, std::string_view key) {
    const auto it = object.find(key);
    if (it == object.end()) fail(shown(path), "has no key \"" + std::string(key) + "\"");
    return *it;
}

const Json& array(const Json& value, const std::string& path) {
    if (!value.is_array()) fail(path, "must be an array");
    return value;
}

std::int64_t integer(const Json& value, const std::string& path, std::int64_t low,
                     std::int64_t high) {
    const std::string range =
        "an integer from " + std::to_string(low) + " to " + std::to_string(high);
    if (value.is_number_unsigned()) {
        const auto v = value.get<std::uint64_t>();
        if (v > static_cast<std::uint64_t>(high) || static_cast<std::int64_t>(v) < low)
            fail(path, "is " + std::to_string(v) + ", out of range: it must be " + range);
        return static_cast<std::int64_t>(v);
    }
    if (value.is_number_integer()) {
        const auto v = value.get<std::int64_t>();
        if (v < low || v > high)
            fail(path, "is " + std::to_string(v) + ", out of range: it must be " + range);
        return v;
    }
    fail(path, "must be " + range);
}

std::string text(const Json& value, const std::string& path) {
    if (!value.is_string()) fail(path, "must be a string");
    return value.get<std::string>();
}

std::string latin1_name(const Json& value, const std::string& path, std::size_t maxBytes) {
    const std::string utf8 = text(value, path);
    std::string out;
    // The parser has checked the UTF-8; only code points above one byte are refused here.
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[++i]);
            out += static_cast<char>((c & 0x03) << 6 | (next & 0x3F));
        } else {
            fail(path, "holds a character that does not fit one byte (Latin-1)");
        }
    }
    if (out.size() > maxBytes)
        fail(path, "is " + std::to_string(out.size()) + " bytes long, more than " +
                       std::to_string(maxBytes));
    return out;
}

std::uint32_t colour(const Json& value, const std::string& path) {
    const std::string t = value.is_string() ? value.get<std::string>() : std::string();
    bool ok = t.size() == 7 && t[0] == '#';
    std::uint32_t c = 0;
    for (std::size_t i = 1; ok && i < 7; ++i) {
        const char ch = t[i];
        int digit = -1;
        if (ch >= '0' && ch <= '9') digit = ch - '0';
        if (ch >= 'a' && ch <= 'f') digit = ch - 'a' + 10;
        if (ch >= 'A' && ch <= 'F') digit = ch - 'A' + 10;
        ok = digit >= 0;
        c = c << 4 | static_cast<std::uint32_t>(digit);
    }
    if (!ok) fail(path, "must be a colour \"#rrggbb\"");
    return c;
}

void check_version(const Json& json, std::int64_t expected) {
    const std::int64_t version = integer(member(json, {}, "version"), "version", 0, kInt32Max);
    if (version != expected)
        fail("version", "is " + std::to_string(version) + "; this program reads version " +
                            std::to_string(expected));
}

std::string colour_text(std::uint32_t colour) {
    static const char digits[] = "0123456789abcdef";
    std::string t = "#";
    for (int shift = 20; shift >= 0; shift -= 4) t += digits[colour >> shift & 0xF];
    return t;
}

Status parse(std::span<const std::uint8_t> bytes, const std::string& name, Json& out) {
    try {
        out = Json::parse(bytes.begin(), bytes.end());
    } catch (const Json::parse_error& e) {
        // The position is counted in bytes from 1; lines and columns from 1.
        std::size_t line = 1;
        std::size_t column = 1;
        const std::size_t end = std::min<std::size_t>(e.byte > 0 ? e.byte - 1 : 0, bytes.size());
        for (std::size_t i = 0; i < end; ++i) {
            if (bytes[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        std::string reason = e.what();
        if (const auto at = reason.find("column"); at != std::string::npos) {
            if (const auto colon = reason.find(": ", at); colon != std::string::npos)
                reason = reason.substr(colon + 2);
        }
        return Status::failure(name + " is not valid JSON: line " + std::to_string(line) +
                               ", column " + std::to_string(column) + ": " + reason);
    } catch (const Json::exception& e) {
        // A number too large for any type, which the parser reports without its place.
        std::string reason = e.what();
        if (const auto at = reason.find("] "); at != std::string::npos)
            reason = reason.substr(at + 2);
        return Status::failure(name + " is not valid JSON: " + reason);
    }
    return Status::success();
}

}  // namespace dabro::json_fields
