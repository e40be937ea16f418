// The animate command's frames drawn, encoded and written, one file at a time.
#include "actions/animate.h"

#include <algorithm>
#include <memory>

#include "document/file_layer.h"

namespace dabro {

namespace {

// Straight RGBA over an opaque colour (0x00RRGGBB), rounded, made opaque.
inline std::uint32_t over_colour(std::uint32_t rgba, std::uint32_t colour) {
    const std::uint32_t a = rgba >> 24;
    const std::uint32_t rest = 255 - a;
    std::uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t below = colour >> (16 - shift) & 0xFF;  // colour is 0x00RRGGBB
        const std::uint32_t mixed = (rgba >> shift & 0xFF) * a + below * rest;
        out |= ((mixed + 127) / 255) << shift;
    }
    return out;
}

}  // namespace

int frame_delay_ms(const FrameImage& frame, const AnimateOptions& options) {
    if (options.frameValueMs && frame.frameValue > 0)
        return std::min(frame.frameValue, kMaxFrameValueMs);
    return 1000 / std::clamp(options.fps, 1, kMaxAnimationFps);
}

Status encode_animation(const SpriteDocument& document, const AnimationJob& job,
                        const AnimateOptions& options, AnimationFormat format,
                        std::vector<std::uint8_t>& file, const Progress& progress,
                        std::int64_t done, std::int64_t total) {
    const SequenceCells& cells = job.cells;
    const AnimationHeader header{static_cast<std::uint32_t>(cells.width),
                                 static_cast<std::uint32_t>(cells.height),
                                 static_cast<int>(cells.frames.size())};
    std::unique_ptr<AnimationWriter> writer;
    if (Status s = make_animation_writer(format, header, writer); !s.ok()) return s;
    std::vector<std::uint32_t> frame(cells.cell_pixels());
    for (std::size_t q = 0; q < cells.frames.size(); ++q) {
        if (!keep_going(progress, done + static_cast<std::int64_t>(q), total))
            return Status::cancelled();
        std::fill(frame.begin(), frame.end(), 0u);
        draw_sequence_cell(document, cells, static_cast<int>(q), job.palette, frame.data(),
                           cells.width);
        if (options.background) {
            for (std::uint32_t& v : frame) v = over_colour(v, *options.background);
        }
        if (Status s = writer->add_frame(frame.data(), frame_delay_ms(cells.frames[q], options));
            !s.ok())
            return s;
    }
    return writer->finish(file);
}

Status write_animations(const SpriteDocument& document, const AnimateOptions& options,
                        const AnimationPlan& plan, std::vector<std::string>& written,
                        const Progress& progress) {
    written.clear();
    std::int64_t total = 0;
    for (const AnimationJob& job : plan.jobs)
        total += static_cast<std::int64_t>(job.cells.frames.size());
    std::int64_t done = 0;
    for (const AnimationJob& job : plan.jobs) {
        std::vector<std::uint8_t> file;
        Status s =
            encode_animation(document, job, options, plan.format, file, progress, done, total);
        if (s.ok()) s = write_file_atomically(job.path, file);
        if (!s.ok()) {
            if (written.empty()) return s;
            return s.with_detail(" (" + std::to_string(written.size()) + " of " +
                                 std::to_string(plan.jobs.size()) + " files were written)");
        }
        written.push_back(job.path);
        done += static_cast<std::int64_t>(job.cells.frames.size());
    }
    keep_going(progress, total, total);
    return Status::success();
}

Status animate(const SpriteDocument& document, const AnimateOptions& options, AnimationPlan& plan,
               std::vector<std::string>& written, const Progress& progress) {
    written.clear();
    if (Status s = plan_animations(document, options, plan); !s.ok()) return s;
    return write_animations(document, options, plan, written, progress);
}

}  // namespace dabro
