// The verb that draws a sequence's frames in a row: render-sequence, with its frame list.
#include <algorithm>
#include <cstdint>
#include <new>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/verb.h"
#include "document/file_layer.h"
#include "imaging/player_render.h"
#include "interchange/png_codec.h"
#include "interchange/sheet.h"

namespace dabro::cli {

namespace {

// A sheet larger than this is refused: it could only come from a hostile size.
constexpr std::int64_t kMaxSheetPixels = std::int64_t{1} << 26;

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

// The drawn row, straight 0xAARRGGBB, and the frame list that goes beside it.
struct Sheet {
    std::vector<std::uint32_t> pixels;
    std::int64_t width = 0;
    std::int64_t height = 0;
    Json index;
};

// One row of cells, each the largest frame's size times the scale; frame q in cell q.
Status draw_sheet(const SpriteDocument& doc, int sequence, int direction, int palette, int scale,
                  Sheet& sheet) {
    const int frames = sequence_length(doc, sequence);
    if (frames == 0)
        return Status::failure("Sequence " + std::to_string(sequence) + " has no frames");
    std::vector<FrameImage> cells;
    std::int64_t cellWidth = 0;
    std::int64_t cellHeight = 0;
    for (int q = 0; q < frames; ++q) {
        cells.push_back(sequence_frame_image(doc, sequence, q, direction));
        const FrameImage& cell = cells.back();
        if (!cell.found()) continue;
        const Extent e = drawn_extent(doc.collections[static_cast<std::size_t>(cell.collection)]
                                          .images[static_cast<std::size_t>(cell.slot)]);
        cellWidth = std::max<std::int64_t>(cellWidth, e.width);
        cellHeight = std::max<std::int64_t>(cellHeight, e.height);
    }
    if (cellWidth == 0 || cellHeight == 0)
        return Status::failure("Sequence " + std::to_string(sequence) + " has no pixels to draw");
    cellWidth *= scale;
    cellHeight *= scale;
    if (cellWidth * frames * cellHeight > kMaxSheetPixels)
        return Status::failure("The sheet is too large to draw: " + std::to_string(frames) +
                               " cells of " + std::to_string(cellWidth) + " x " +
                               std::to_string(cellHeight));

    sheet.width = cellWidth * frames;
    sheet.height = cellHeight;
    try {
        sheet.pixels.assign(static_cast<std::size_t>(sheet.width * sheet.height), 0);
    } catch (const std::bad_alloc&) {
        return Status::failure("Out of memory");
    }
    Json list = Json::array();
    for (int q = 0; q < frames; ++q) {
        const FrameImage& cell = cells[static_cast<std::size_t>(q)];
        const auto x = static_cast<int>(cellWidth * q);
        Json entry{{"index", q},
                   {"collectionFrame", cell.collectionFrame},
                   {"frameValue", cell.frameValue},
                   {"cell", Json{{"x", x},
                                 {"y", 0},
                                 {"width", static_cast<int>(cellWidth)},
                                 {"height", static_cast<int>(cellHeight)}}}};
        if (cell.found()) {
            const ImageCollection& c = doc.collections[static_cast<std::size_t>(cell.collection)];
            draw_rgba(c.images[static_cast<std::size_t>(cell.slot)],
                      c.palettes[static_cast<std::size_t>(palette)], scale, sheet.pixels.data() + x,
                      static_cast<std::int32_t>(cellWidth), static_cast<std::int32_t>(cellHeight),
                      sheet.width);
        } else {
            entry["empty"] = cell.reason;
        }
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
    int palette = 0;
    int scale = 1;
    if (Status s = palette_option(a, palette, PaletteRangeText::Use); !s.ok()) return s;
    if (Status s = int_in_range(a, "--scale", 1, 1, kMaxZoom, "scale", scale); !s.ok()) return s;
    LoadedSprite sprite;
    if (Status s = load(a.file, sprite); !s.ok()) return s;
    const SpriteDocument& doc = sprite.document();

    int sequence = 0;
    if (Status s = int_option(a, "-s", sequence); !s.ok()) return s;
    const int sequences = std::clamp(doc.sequenceCount, 0, kMaxSequences);
    if (sequence < 0 || sequence >= sequences)
        return Status::failure("There is no sequence " + std::to_string(sequence) +
                               ": the sprite has " + std::to_string(sequences) + " sequences");
    const int c = doc.sequences[static_cast<std::size_t>(sequence)].collectionIndex;
    if (c >= std::clamp(doc.collectionCount, 0, kMaxCollections))
        return Status::failure("Sequence " + std::to_string(sequence) + " shows collection " +
                               std::to_string(c) + ", which the sprite does not have");
    const ImageCollection& collection = doc.collections[static_cast<std::size_t>(c)];
    if (collection.imageSectionType != kReadableSection)
        return Status::failure("Sprite with compressed images. Images unaccesible");
    if (collection.directions <= 0)
        return Status::failure("Collection " + std::to_string(c) + " has no directions");
    int direction = 0;
    if (Status s = int_in_range(a, "-d", 0, 0, collection.directions - 1, "direction", direction);
        !s.ok())
        return s;

    Sheet sheet;
    if (Status s = draw_sheet(doc, sequence, direction, palette, scale, sheet); !s.ok()) return s;
    std::vector<std::uint8_t> png;
    if (Status s =
            encode_argb_png(sheet.pixels.data(), static_cast<std::uint32_t>(sheet.width),
                            static_cast<std::uint32_t>(sheet.height), sheet.width, false, png);
        !s.ok())
        return s;
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
