// The animate command: chosen sequences, directions and palettes as animated GIF, APNG or WebP.
#pragma once

#include <cstdint>
#include <limits>
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

// -s, -d or -p all: one file for each. Any other number, negative ones too, is as given.
inline constexpr int kEvery = std::numeric_limits<int>::min();
inline constexpr int kDefaultAnimationFps = 10;

struct AnimateOptions {
    int sequence = 0;  // or kEvery
    int direction = 0;
    int palette = 0;
    int scale = 1;  // 1..kMaxZoom
    // The batch tool places frames by box; the player's export keeps drawing by corner until
    // the player itself draws by box.
    Placement placement = Placement::Corner;
    int fps = kDefaultAnimationFps;
    bool frameValueMs = false;  // each frame's value as its delay, where above 0
    // The colour (0x00RRGGBB) each frame is blended over, made opaque; none: transparent.
    std::optional<std::uint32_t> background;
    std::optional<AnimationFormat> format;  // none: by the output's extension
    // The file to write; {s}, {d}, {p} and {name} (the sequence's name made safe for a file
    // name) are replaced by each animation's own.
    std::string output;
    // The output is one file's name as it stands: braces in it are no placeholders.
    bool outputAsItStands = false;
};

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

// Writes each planned file whole or not at all. A failure after some files were written says
// how many; `written` lists them.
Status write_animations(const SpriteDocument& document, const AnimateOptions& options,
                        const AnimationPlan& plan, std::vector<std::string>& written,
                        const Progress& progress = {});

// Plans, then writes as write_animations does.
Status animate(const SpriteDocument& document, const AnimateOptions& options, AnimationPlan& plan,
               std::vector<std::string>& written, const Progress& progress = {});

}  // namespace dabro
