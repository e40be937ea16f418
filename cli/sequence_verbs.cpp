// The verb that draws a sequence's frames in a row: render-sequence, with its frame list.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/verb.h"
#include "document/file_layer.h"
#include "imaging/sequence_cells.h"
#include "interchange/png_codec.h"
#include "interchange/sheet.h"

namespace dabro::cli {

namespace {

Status int_in_range(const Arguments& a, const char* option, int fallback, int low, int high,
                    const char* what, int& value) {
    value = fallback;
    if (!a.has(option)) return Status::success();
    if (Status s = int_option(a, option, value); !s.ok()) return s;
    if (value < low || value > high)
        return Status::failure(std::string("There is no ") + what + ' ' + std::to_string(value) +
                               ": use " + std::to_string(low) + " to " + std::to_string(high));
    return Status::success();
}

using Json = nlohmann::json;

// The drawn row and the frame list that goes beside it.
struct Sheet {
    RgbaImage image;
    Json index;
};

// One row of cells, frame q in cell q.
Status draw_sheet(const SpriteDocument& doc, int sequence, int direction, int palette, int scale,
                  Sheet& sheet) {
    SequenceCells cells;
    if (Status s = plan_sequence_cells(doc, sequence, direction, scale, cells); !s.ok()) return s;
    const auto frames = static_cast<std::uint32_t>(cells.frames.size());
    RgbaImage& image = sheet.image;
    image.width = static_cast<std::uint32_t>(cells.width) * frames;
    image.height = static_cast<std::uint32_t>(cells.height);
    image.pixels.assign(std::size_t{image.width} * image.height, 0);
    Json list = Json::array();
    for (std::uint32_t q = 0; q < frames; ++q) {
        const FrameImage& cell = cells.frames[q];
        const auto x = static_cast<int>(static_cast<std::uint32_t>(cells.width) * q);
        Json entry{
            {"index", static_cast<int>(q)},
            {"collectionFrame", cell.collectionFrame},
            {"frameValue", cell.frameValue},
            {"cell", Json{{"x", x}, {"y", 0}, {"width", cells.width}, {"height", cells.height}}}};
        draw_sequence_cell(doc, cells, static_cast<int>(q), palette, image.pixels.data() + x,
                           image.width);
        if (!cell.found()) entry["empty"] = cell.reason;
        list.push_back(std::move(entry));
    }
    sheet.index = Json{{"sequence", sequence},
                       {"direction", direction},
                       {"palette", palette},
                       {"scale", scale},
                       {"frames", std::move(list)}};
    return Status::success();
}

Status write_text(const std::string& path, const std::string& text) {
    return write_file_atomically(path,
                                 {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

Outcome run_render_sequence(const Arguments& a, std::ostream& out, std::ostream&) {
    if (Status s = check_outputs(a, {sheet_json_path(a.value("-o"))}); !s.ok()) return s;
    int palette = 0;
    int scale = 1;
    if (Status s = palette_option(a, palette, PaletteRangeText::Use); !s.ok()) return s;
    if (Status s = int_in_range(a, "--scale", 1, 1, kMaxZoom, "scale", scale); !s.ok()) return s;
    LoadedSprite sprite;
    if (Status s = load(a.file, sprite); !s.ok()) return s;
    const SpriteDocument& doc = sprite.document();

    int sequence = 0;
    if (Status s = int_option(a, "-s", sequence); !s.ok()) return s;
    int direction = 0;
    if (a.has("-d"))
        if (Status s = int_option(a, "-d", direction); !s.ok()) return s;
    if (Status s = check_sequence_direction(doc, sequence, direction); !s.ok()) return s;

    Sheet sheet;
    if (Status s = draw_sheet(doc, sequence, direction, palette, scale, sheet); !s.ok()) return s;
    std::vector<std::uint8_t> png;
    if (Status s = encode_png(sheet.image, png); !s.ok()) return s;
    const std::string json = sheet.index.dump(4) + '\n';

    // Both files are ready before either is written; each is written whole or not at all.
    const std::string& pngPath = a.value("-o");
    if (Status s = write_file_atomically(pngPath, png); !s.ok()) return s;
    if (Status s = write_text(sheet_json_path(pngPath), json); !s.ok()) return s;
    out << "Sequence rendered\n";
    return 0;
}

const Verb kVerbs[] = {
    {"render-sequence",
     "FILE -s S [-d D] [-p P] [--scale N] -o OUT.png",
     "Draws every frame of sequence S in direction D (default 0) as RGBA with palette P "
     "(default 0), N times larger (1 to 16), in one row of cells the size of the largest frame; "
     "OUT.json lists each frame's index, collection frame, frame value and cell",
     run_render_sequence,
     {.values = {"-s", "-d", "-p", "--scale", "-o"}, .required = {"-s", "-o"}}},
};

}  // namespace

std::span<const Verb> sequence_verbs() {
    return kVerbs;
}

}  // namespace dabro::cli
