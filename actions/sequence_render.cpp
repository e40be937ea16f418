// The render-sequence command: a sequence's frames drawn in a row, with their list beside it.
#include "actions/sequence_render.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "document/file_layer.h"
#include "imaging/sequence_cells.h"
#include "interchange/png_codec.h"
#include "interchange/sheet.h"

namespace dabro {

namespace {

// Keys in the order they are written: origin follows scale.
using Json = nlohmann::ordered_json;

// The drawn row and the frame list that goes beside it.
struct Sheet {
    RgbaImage image;
    Json index;
};

// One row of cells, frame q in cell q.
Status draw_sheet(const SpriteDocument& doc, const SequenceRender& what, Sheet& sheet) {
    const auto [sequence, direction, palette, scale, placement] = what;
    SequenceCells cells;
    if (Status s = plan_sequence_cells(doc, sequence, direction, scale, cells, placement); !s.ok())
        return s;
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
    sheet.index = Json{
        {"sequence", sequence}, {"direction", direction}, {"palette", palette}, {"scale", scale}};
    if (placement == Placement::Box)
        sheet.index["origin"] = Json{{"x", cells.origin.x}, {"y", cells.origin.y}};
    sheet.index["frames"] = std::move(list);
    return Status::success();
}

}  // namespace

Status render_sequence(const SpriteDocument& document, const SequenceRender& what,
                       const std::string& pngPath) {
    if (Status s = check_sequence_direction(document, what.sequence, what.direction); !s.ok())
        return s;
    Sheet sheet;
    if (Status s = draw_sheet(document, what, sheet); !s.ok()) return s;
    std::vector<std::uint8_t> png;
    if (Status s = encode_png(sheet.image, png); !s.ok()) return s;
    const std::string json = sheet.index.dump(4) + '\n';

    // Both files are ready before either is written; each is written whole or not at all.
    if (Status s = write_file_atomically(pngPath, png); !s.ok()) return s;
    return write_text_atomically(sheet_json_path(pngPath), json);
}

}  // namespace dabro
