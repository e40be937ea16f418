// Picks the animation writer for a format and names the formats.
#include "interchange/animation.h"

#include <algorithm>
#include <cctype>

namespace dabro {

namespace {

bool ends_with_nocase(std::string_view text, std::string_view end) {
    if (text.size() < end.size()) return false;
    return std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

}  // namespace

std::optional<AnimationFormat> animation_format_named(std::string_view name) {
    if (name == "gif") return AnimationFormat::Gif;
    if (name == "apng") return AnimationFormat::Apng;
    if (name == "webp") return AnimationFormat::Webp;
    return std::nullopt;
}

std::optional<AnimationFormat> animation_format_of_path(std::string_view path) {
    if (ends_with_nocase(path, ".gif")) return AnimationFormat::Gif;
    if (ends_with_nocase(path, ".png") || ends_with_nocase(path, ".apng"))
        return AnimationFormat::Apng;
    if (ends_with_nocase(path, ".webp")) return AnimationFormat::Webp;
    return std::nullopt;
}

const char* animation_format_name(AnimationFormat format) {
    switch (format) {
        case AnimationFormat::Gif:
            return "gif";
        case AnimationFormat::Apng:
            return "apng";
        case AnimationFormat::Webp:
            return "webp";
    }
    return "";
}

Status make_animation_writer(AnimationFormat format, const AnimationHeader& header,
                             std::unique_ptr<AnimationWriter>& writer) {
    if (header.width == 0 || header.height == 0 || header.frames <= 0)
        return Status::failure("An animation needs at least one frame with pixels");
    switch (format) {
        case AnimationFormat::Gif:
            return make_gif_writer(header, writer);
        case AnimationFormat::Apng:
            return make_apng_writer(header, writer);
        case AnimationFormat::Webp:
            return make_webp_writer(header, writer);
    }
    return Status::failure("Unknown animation format");
}

std::uint16_t gif_delay_centiseconds(int ms) {
    const long long cs = (static_cast<long long>(std::max(ms, 0)) + 5) / 10;
    return static_cast<std::uint16_t>(std::clamp<long long>(cs, 2, 0xFFFF));
}

}  // namespace dabro
