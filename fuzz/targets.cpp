// The table of fuzz targets by name, for the replay tool and the seed maker.
#include <array>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_target.h"

namespace dabro::fuzz {

namespace {

constexpr std::array kTargets = {
    Target{"sprite_loader", sprite_loader},
    Target{"render", render},
    Target{"halve", halve},
    Target{"raw_import", raw_import},
    Target{"palette", palette},
    Target{"text_to_int", text_to_int},
    Target{"import_name", import_name},
    Target{"palette_gpl", palette_gpl},
    Target{"palette_jasc", palette_jasc},
    Target{"palette_riff", palette_riff},
    Target{"player_frame", player_frame},
    Target{"png_import", png_import},
    Target{"sheet_json", sheet_json},
    Target{"pack_folder", pack_folder},
    Target{"apng", apng},
};

}  // namespace

std::span<const Target> all_targets() {
    return kTargets;
}

const Target* find_target(std::string_view name) {
    for (const Target& t : kTargets)
        if (name == t.name) return &t;
    return nullptr;
}

void broken(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

}  // namespace dabro::fuzz
