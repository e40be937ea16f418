// The animate command: chosen sequences, directions and palettes as animated GIF, APNG or WebP.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/sprite_document.h"
#include "document/status.h"
#include "imaging/sequence_cells.h"
#include "interchange/animation.h"
#include "interchange/progress.h"

namespace dabro {

// -s, -d or -p all: one file for each.
inline constexpr int kEvery = -1;
inline constexpr int kDefaultAnimationFps = 10;

struct AnimateOptions {
    int sequence = 0;  // or kEvery
    int direction = 0;
    int palette = 0;
    int scale = 1;  // 1..kMaxZoom
    int fps = kDefaultAnimationFps;
    bool frameValueMs = false;  // each frame's value as its delay, where above 0
    // The colour (0x00RRGGBB) each frame is blended over, made opaque; none: transparent.
    std::optional<std::uint32_t> background;
    std::optional<AnimationFormat> format;  // none: by the output's extension
    // The file to write; {s}, {d}, {p} and {name} (the sequence's name made safe for a file
    // name) are replaced by each animation's own.
    std::string output;
};

// The placeholders an output's name may hold, and the first of them in `name`, if any.
inline constexpr std::string_view kAnimationPlaceholders[] = {"{s}", "{d}", "{p}", "{name}"};
std::optional<std::string_view> placeholder_in(std::string_view name);

// "all" as kEvery, else an integer by the program's text rule.
Status parse_every_or_int(std::string_view text, int& value);
// "transparent", "grey" (the preview's) or "#rrggbb".
Status parse_background(std::string_view text, std::optional<std::uint32_t>& colour);

// One file the command writes.
struct AnimationJob {
    std::string path;
    int palette = 0;
    SequenceCells cells;
};

struct AnimationPlan {
    AnimationFormat format = AnimationFormat::Gif;
    std::vector<AnimationJob> jobs;
    std::vector<std::string> skipped;  // sequences without frames passed over by -s all
};

// Checks everything that can be checked before a file is written and lists the files.
Status plan_animations(const SpriteDocument& document, const AnimateOptions& options,
                       AnimationPlan& plan);

// The delay of one frame in milliseconds.
int frame_delay_ms(const FrameImage& frame, const AnimateOptions& options);

// One animation as the file's bytes. `done` counts frames for `progress` across jobs.
Status encode_animation(const SpriteDocument& document, const AnimationJob& job,
                        const AnimateOptions& options, AnimationFormat format,
                        std::vector<std::uint8_t>& file, const Progress& progress = {},
                        std::int64_t done = 0, std::int64_t total = 0);

// Plans, then writes each file whole or not at all. A failure after some files were written
// says how many; `written` lists them.
Status animate(const SpriteDocument& document, const AnimateOptions& options, AnimationPlan& plan,
               std::vector<std::string>& written, const Progress& progress = {});

}  // namespace dabro
