// Animated pictures (GIF, APNG, WebP): the formats, and one writer interface for all three.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/status.h"

namespace dabro {

enum class AnimationFormat { Gif, Apng, Webp };

// "gif", "apng" or "webp", as --format names them.
std::optional<AnimationFormat> animation_format_named(std::string_view name);
// By a file name's extension: .gif, .png or .apng, .webp (any case).
std::optional<AnimationFormat> animation_format_of_path(std::string_view path);
const char* animation_format_name(AnimationFormat format);

// What every frame of an animation shares. Every animation loops forever.
struct AnimationHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int frames = 0;
};

// Takes the frames in order, each width x height pixels of 8-bit RGBA (red in the lowest
// byte, see rgba_of) shown for `delayMs` milliseconds, then gives the file's bytes.
class AnimationWriter {
  public:
    virtual ~AnimationWriter() = default;
    virtual Status add_frame(const std::uint32_t* pixels, int delayMs) = 0;
    // After the header's count of frames; the writer is spent afterwards.
    virtual Status finish(std::vector<std::uint8_t>& file) = 0;
};

// A writer of the format, or a failure when the format cannot hold the size or count.
Status make_animation_writer(AnimationFormat format, const AnimationHeader& header,
                             std::unique_ptr<AnimationWriter>& writer);

// Each format on its own (animation.cpp picks among them).
Status make_gif_writer(const AnimationHeader& header, std::unique_ptr<AnimationWriter>& writer);
Status make_apng_writer(const AnimationHeader& header, std::unique_ptr<AnimationWriter>& writer);
Status make_webp_writer(const AnimationHeader& header, std::unique_ptr<AnimationWriter>& writer);

// A GIF's delay for `ms`: hundredths of a second, to the nearest ten milliseconds, at least
// 2, since browsers slow anything shorter down to a tenth of a second.
std::uint16_t gif_delay_centiseconds(int ms);

}  // namespace dabro
