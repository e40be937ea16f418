// The animate command's choices read and checked, and its files named, before anything is written.
#include <algorithm>
#include <filesystem>
#include <set>

#include "actions/animate.h"
#include "document/atomic_save.h"
#include "document/text_to_int.h"

namespace dabro {

namespace {

std::string range_failure(const char* what, int value, int last) {
    return "There is no " + std::string(what) + ' ' + std::to_string(value) + ": use 0 to " +
           std::to_string(last);
}

// The sequence's name with only letters, digits, '-', '_' and '.' kept (others as '_'),
// never starting with '.', and "unnamed" when nothing is left.
std::string safe_name(std::string_view name) {
    std::string safe;
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        const bool keep = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                          (c >= 'A' && c <= 'Z') || c == '-' || c == '_' || c == '.';
        safe += keep ? ch : '_';
    }
    if (!safe.empty() && safe.front() == '.') safe.front() = '_';
    return safe.empty() ? std::string("unnamed") : safe;
}

void replace_all(std::string& text, std::string_view key, const std::string& value) {
    for (std::size_t at = text.find(key); at != std::string::npos;
         at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
}

bool contains(const std::string& text, std::string_view key) {
    return text.find(key) != std::string::npos;
}

Status check_folder(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code ec;
    if (folder.empty() || std::filesystem::is_directory(folder, ec)) return Status::success();
    return Status::file_error(ErrorCode::FileNotFound).about_folder(folder.string() + "/");
}

}  // namespace

Status parse_every_or_int(std::string_view text, int& value) {
    if (text == "all") {
        value = kEvery;
        return Status::success();
    }
    std::int32_t v = 0;
    if (Status s = text_to_int(text, v); !s.ok()) return s;
    // A number is never "all"; the one number that shares kEvery's value reads as the next.
    value = v == kEvery ? kEvery + 1 : v;
    return Status::success();
}

Status parse_background(std::string_view text, std::optional<std::uint32_t>& colour) {
    if (text == "transparent") {
        colour.reset();
        return Status::success();
    }
    if (text == "grey") {
        colour = kGreyColour;
        return Status::success();
    }
    const auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::uint32_t value = 0;
    bool ok = text.size() == 7 && text[0] == '#';
    for (std::size_t i = 1; ok && i < 7; ++i) {
        ok = hex(text[i]) >= 0;
        value = value << 4 | static_cast<std::uint32_t>(std::max(hex(text[i]), 0));
    }
    if (!ok)
        return Status::failure("'" + std::string(text) +
                               "' is not a background: use transparent, grey or #rrggbb");
    colour = value;
    return Status::success();
}

Status plan_animations(const SpriteDocument& document, const AnimateOptions& options,
                       AnimationPlan& plan) {
    plan = {};
    if (options.fps < 1 || options.fps > kMaxAnimationFps)
        return Status::failure("There is no rate of " + std::to_string(options.fps) +
                               " frames a second: use 1 to " + std::to_string(kMaxAnimationFps));
    if (Status s = check_scale(options.scale); !s.ok()) return s;
    if (options.palette != kEvery &&
        (options.palette < 0 || options.palette >= kPalettesPerCollection))
        return Status::failure(
            range_failure("palette", options.palette, kPalettesPerCollection - 1));
    if (options.format) {
        plan.format = *options.format;
    } else if (auto format = animation_format_of_path(options.output)) {
        plan.format = *format;
    } else {
        return Status::failure("The format of " + options.output +
                               " is unknown: name it .gif, .png, .apng or .webp, or give --format");
    }
    const struct {
        int choice;
        const char* option;
        const char* placeholder;
        bool named;
    } matrix[] = {
        {options.sequence, "-s", "{s} or {name}",
         contains(options.output, "{s}") || contains(options.output, "{name}")},
        {options.direction, "-d", "{d}", contains(options.output, "{d}")},
        {options.palette, "-p", "{p}", contains(options.output, "{p}")},
    };
    for (const auto& m : matrix)
        if (m.choice == kEvery && !m.named)
            return Status::failure(std::string(m.option) + " all writes one file for each: put " +
                                   m.placeholder + " in the output's name");

    const int sequences = std::clamp(document.sequenceCount, 0, kMaxSequences);
    std::vector<int> sequenceList;
    if (options.sequence == kEvery) {
        for (int s = 0; s < sequences; ++s) sequenceList.push_back(s);
        if (sequenceList.empty()) return Status::failure("The sprite has no sequences");
    } else {
        sequenceList.push_back(options.sequence);
    }
    std::set<std::string> paths;
    for (int s : sequenceList) {
        std::vector<int> directions;
        if (options.direction == kEvery) {
            // Direction 0 stands for the sequence's own checks: it exists, and so do its
            // collection and a direction.
            if (Status st = check_sequence_direction(document, s, 0); !st.ok()) return st;
            for (int d = 0; d < sequence_directions(document, s); ++d) directions.push_back(d);
        } else {
            directions.push_back(options.direction);
        }
        if (options.sequence == kEvery && sequence_length(document, s) == 0) {
            plan.skipped.push_back("Sequence " + std::to_string(s) + " has no frames");
            continue;
        }
        for (int d : directions) {
            if (Status st = check_sequence_direction(document, s, d); !st.ok()) return st;
            SequenceCells cells;
            if (Status st =
                    plan_sequence_cells(document, s, d, options.scale, cells, options.placement);
                !st.ok())
                return st;
            AnimationHeader header{static_cast<std::uint32_t>(cells.width),
                                   static_cast<std::uint32_t>(cells.height),
                                   static_cast<int>(cells.frames.size())};
            std::unique_ptr<AnimationWriter> probe;
            if (Status st = make_animation_writer(plan.format, header, probe); !st.ok()) return st;
            for (int p = 0; p < kPalettesPerCollection; ++p) {
                if (options.palette != kEvery && p != options.palette) continue;
                std::string path = options.output;
                if (!options.outputAsItStands) {
                    replace_all(path, "{s}", std::to_string(s));
                    replace_all(path, "{d}", std::to_string(d));
                    replace_all(path, "{p}", std::to_string(p));
                    replace_all(
                        path, "{name}",
                        safe_name(document.sequences[static_cast<std::size_t>(s)].name.view()));
                }
                if (!paths.insert(path).second)
                    return Status::failure("Two animations would be written to " + path);
                if (!makes_missing_folders())
                    if (Status st = check_folder(path); !st.ok()) return st;
                plan.jobs.push_back({path, p, cells});
            }
        }
    }
    if (plan.jobs.empty()) return Status::failure("No sequence has frames to animate");
    return Status::success();
}

}  // namespace dabro
