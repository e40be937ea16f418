// Collection sheets: their layout and JSON, the PNG export and the reading back of both.
#include "interchange/sheet.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "document/document_edits.h"
#include "document/name_text.h"
#include "interchange/json_fields.h"
#include "interchange/sheet_room.h"

namespace dabro {

namespace jf = json_fields;

namespace {

using jf::kInt32Max;
using jf::kInt32Min;

std::int64_t cells_width(const SheetLayout& l) {
    return std::int64_t{l.frames} * l.cellWidth;
}
std::int64_t cells_height(const SheetLayout& l) {
    return std::int64_t{l.directions} * l.cellHeight;
}
bool cells_empty(const SheetLayout& l) {
    return cells_width(l) == 0 || cells_height(l) == 0;
}

}  // namespace

std::uint32_t SheetLayout::sheet_width() const {
    return cells_empty(*this) ? 1 : static_cast<std::uint32_t>(cells_width(*this));
}

std::uint32_t SheetLayout::sheet_height() const {
    return cells_empty(*this) ? 1 : static_cast<std::uint32_t>(cells_height(*this));
}

Status sheet_layout(const ImageCollection& collection, SheetLayout& out) {
    SheetLayout l;
    l.name = collection.name.str();
    l.frames = std::max(collection.frames, 0);
    l.directions = std::max(collection.directions, 0);
    l.palettes = collection.palettes;
    const int slots = collection.slot_count();
    for (int k = 0; k < slots; ++k) {
        const CollectionImage& image = collection.images[static_cast<std::size_t>(k)];
        l.cellWidth = std::max(l.cellWidth, image.width);
        l.cellHeight = std::max(l.cellHeight, image.height);
    }
    const std::int64_t w = cells_width(l);
    const std::int64_t h = cells_height(l);
    if (!cells_empty(l) && (w > kMaxImagePixels || h > kMaxImagePixels || w * h > kMaxImagePixels))
        return Status::failure("The sheet of collection '" + l.name + "' would be " +
                               std::to_string(w) + " x " + std::to_string(h) +
                               " pixels, more than the " + std::to_string(kMaxImagePixels) +
                               " allowed");
    l.imageSlots.resize(static_cast<std::size_t>(slots));
    for (int k = 0; k < slots; ++k) {
        const CollectionImage& image = collection.images[static_cast<std::size_t>(k)];
        SheetSlot& s = l.imageSlots[static_cast<std::size_t>(k)];
        s.frame = k / l.directions;
        s.direction = k % l.directions;
        s.x = std::int64_t{s.frame} * l.cellWidth;
        s.y = std::int64_t{s.direction} * l.cellHeight;
        s.width = image.width;
        s.height = image.height;
        s.kind = image.kind;
        s.flag = image.flag;
        s.sourceName = image.sourceName.str();
        s.box = collection.boxes[static_cast<std::size_t>(k)];
    }
    out = std::move(l);
    return Status::success();
}

nlohmann::ordered_json sheet_json(const SheetLayout& layout) {
    using Json = nlohmann::ordered_json;
    Json palettes = Json::array();
    for (const Palette& palette : layout.palettes) {
        Json entries = Json::array();
        for (std::uint32_t entry : palette) entries.push_back(jf::colour_text(entry & 0xFFFFFFu));
        palettes.push_back(std::move(entries));
    }
    Json slots = Json::array();
    for (const SheetSlot& s : layout.imageSlots) {
        slots.push_back(Json{{"frame", s.frame},
                             {"direction", s.direction},
                             {"x", s.x},
                             {"y", s.y},
                             {"width", s.width},
                             {"height", s.height},
                             {"kind", s.kind},
                             {"flag", s.flag},
                             {"sourceName", latin1_to_utf8(s.sourceName)},
                             {"box", Json{{"left", s.box.left},
                                          {"top", s.box.top},
                                          {"right", s.box.right},
                                          {"bottom", s.box.bottom}}}});
    }
    return Json{{"format", "dabro-sheet"},
                {"version", kSheetFormatVersion},
                {"name", latin1_to_utf8(layout.name)},
                {"frames", layout.frames},
                {"directions", layout.directions},
                {"cellWidth", layout.cellWidth},
                {"cellHeight", layout.cellHeight},
                {"palettes", std::move(palettes)},
                {"slots", std::move(slots)}};
}

namespace {

std::int32_t int32_at(const jf::Json& object, const std::string& path, const char* key) {
    return static_cast<std::int32_t>(
        jf::integer(jf::member(object, path, key), jf::at_key(path, key), kInt32Min, kInt32Max));
}

BoundingBox read_box(const jf::Json& value, const std::string& path) {
    jf::object(value, path);
    return {int32_at(value, path, "left"), int32_at(value, path, "top"),
            int32_at(value, path, "right"), int32_at(value, path, "bottom")};
}

void read_layout(const jf::Json& json, SheetLayout& out) {
    const std::string top;
    jf::object(json, top);
    jf::check_version(json, kSheetFormatVersion);
    out.name = jf::latin1_name(jf::member(json, top, "name"), "name", kMaxNameLength);
    out.frames =
        static_cast<int>(jf::integer(jf::member(json, top, "frames"), "frames", 0, kMaxImageSlots));
    out.directions = static_cast<int>(
        jf::integer(jf::member(json, top, "directions"), "directions", 0, kMaxImageSlots));
    const int count = out.frames * out.directions;
    if (count > kMaxImageSlots)
        jf::fail("frames", "x directions is " + std::to_string(out.frames) + " x " +
                               std::to_string(out.directions) + ", more than " +
                               std::to_string(kMaxImageSlots) + " images");
    out.cellWidth = static_cast<std::int32_t>(
        jf::integer(jf::member(json, top, "cellWidth"), "cellWidth", 0, kInt32Max));
    out.cellHeight = static_cast<std::int32_t>(
        jf::integer(jf::member(json, top, "cellHeight"), "cellHeight", 0, kInt32Max));

    const jf::Json& palettes = jf::array(jf::member(json, top, "palettes"), "palettes");
    if (palettes.size() != kPalettesPerCollection)
        jf::fail("palettes", "must hold " + std::to_string(kPalettesPerCollection) + " palettes");
    for (std::size_t p = 0; p < kPalettesPerCollection; ++p) {
        const std::string path = jf::at_index("palettes", p);
        const jf::Json& entries = jf::array(palettes[p], path);
        if (entries.size() != kPaletteEntries)
            jf::fail(path, "must hold " + std::to_string(kPaletteEntries) + " colours");
        for (std::size_t i = 0; i < kPaletteEntries; ++i)
            out.palettes[p][i] = jf::colour(entries[i], jf::at_index(path, i));
    }

    const jf::Json& slots = jf::array(jf::member(json, top, "slots"), "slots");
    if (slots.size() != static_cast<std::size_t>(count))
        jf::fail("slots", "holds " + counted(static_cast<long long>(slots.size()), "slot") + "; " +
                              counted(out.frames, "frame") + " x " +
                              counted(out.directions, "direction") + " need " +
                              std::to_string(count));
    out.imageSlots.assign(static_cast<std::size_t>(count), SheetSlot{});
    std::vector<bool> seen(static_cast<std::size_t>(count), false);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const std::string path = jf::at_index("slots", i);
        const jf::Json& s = jf::object(slots[i], path);
        SheetSlot slot;
        slot.frame = static_cast<int>(jf::integer(jf::member(s, path, "frame"),
                                                  jf::at_key(path, "frame"), 0, out.frames - 1));
        slot.direction =
            static_cast<int>(jf::integer(jf::member(s, path, "direction"),
                                         jf::at_key(path, "direction"), 0, out.directions - 1));
        const auto k = static_cast<std::size_t>(slot.frame * out.directions + slot.direction);
        if (seen[k])
            jf::fail(path, "repeats frame " + std::to_string(slot.frame) + ", direction " +
                               std::to_string(slot.direction));
        seen[k] = true;
        slot.x = jf::integer(jf::member(s, path, "x"), jf::at_key(path, "x"), 0, kInt32Max);
        slot.y = jf::integer(jf::member(s, path, "y"), jf::at_key(path, "y"), 0, kInt32Max);
        // An image fills at most its cell; 0 is an image without pixels, as exported.
        slot.width = static_cast<std::int32_t>(
            jf::integer(jf::member(s, path, "width"), jf::at_key(path, "width"), 0, out.cellWidth));
        slot.height = static_cast<std::int32_t>(jf::integer(
            jf::member(s, path, "height"), jf::at_key(path, "height"), 0, out.cellHeight));
        slot.kind = static_cast<std::uint8_t>(
            jf::integer(jf::member(s, path, "kind"), jf::at_key(path, "kind"), 0, 255));
        slot.flag = static_cast<std::uint8_t>(
            jf::integer(jf::member(s, path, "flag"), jf::at_key(path, "flag"), 0, 255));
        slot.sourceName = jf::latin1_name(jf::member(s, path, "sourceName"),
                                          jf::at_key(path, "sourceName"), kMaxSourceNameLength);
        slot.box = read_box(jf::member(s, path, "box"), jf::at_key(path, "box"));
        out.imageSlots[k] = std::move(slot);
    }
    std::int64_t widest = 0;
    std::int64_t tallest = 0;
    for (const SheetSlot& slot : out.imageSlots) {
        widest = std::max<std::int64_t>(widest, slot.width);
        tallest = std::max<std::int64_t>(tallest, slot.height);
    }
    if (Status s = check_sheet_room(out.name, out.frames, out.directions, widest, tallest); !s.ok())
        jf::fail("", s.message());
}

}  // namespace

Status parse_sheet_json(const nlohmann::json& json, const std::string& name, SheetLayout& out) {
    SheetLayout layout;
    if (Status s = jf::checked(name, [&] { read_layout(json, layout); }); !s.ok()) return s;
    out = std::move(layout);
    return Status::success();
}

Status write_sheet_png(const ImageCollection& collection, const SheetLayout& layout, ByteSink& sink,
                       const Progress& progress) {
    const std::uint32_t width = layout.sheet_width();
    const std::uint32_t height = layout.sheet_height();
    const RgbaPalette palette = rgba_palette(collection.palettes[0]);
    const bool empty = cells_empty(layout);
    const auto cellHeight = static_cast<std::uint32_t>(layout.cellHeight);
    // One row of cells (a direction) is drawn at a time.
    std::vector<std::uint32_t> band(std::size_t{width} * (empty ? 1 : cellHeight));
    return encode_png(
        width, height,
        [&](std::uint32_t y) -> const std::uint32_t* {
            if (empty) return band.data();
            const std::uint32_t direction = y / cellHeight;
            const std::uint32_t line = y % cellHeight;
            if (line == 0) {
                if (!keep_going(progress, direction, layout.directions)) return nullptr;
                std::fill(band.begin(), band.end(), 0u);
                for (int f = 0; f < layout.frames; ++f) {
                    const std::size_t k =
                        static_cast<std::size_t>(f) * static_cast<std::size_t>(layout.directions) +
                        direction;
                    draw_rgba(collection.images[k], palette,
                              band.data() + static_cast<std::size_t>(f) *
                                                static_cast<std::size_t>(layout.cellWidth),
                              width);
                }
            }
            return band.data() + std::size_t{line} * width;
        },
        sink);
}

std::string sheet_json_path(const std::string& pngPath) {
    const std::string ext = ".png";
    if (pngPath.size() > ext.size()) {
        std::string tail = pngPath.substr(pngPath.size() - ext.size());
        std::transform(tail.begin(), tail.end(), tail.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (tail == ext) return pngPath.substr(0, pngPath.size() - ext.size()) + ".json";
    }
    return pngPath + ".json";
}

Status export_sheet(const ImageCollection& collection, const std::string& pngPath,
                    const Progress& progress) {
    SheetLayout layout;
    if (Status s = sheet_layout(collection, layout); !s.ok()) return s;
    const std::string json = sheet_json(layout).dump(1) + "\n";
    // The PNG goes first to a name of its own, and takes its real name only once the JSON
    // is in place, so a failure leaves neither file changed.
    const std::string partial = pngPath + ".part";
    if (Status s = write_file_atomically(
            partial,
            [&](ByteSink& sink) { return write_sheet_png(collection, layout, sink, progress); });
        !s.ok())
        return s;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(json.data());
    if (Status s = write_file_atomically(sheet_json_path(pngPath), {bytes, json.size()}); !s.ok()) {
        (void)file_layer().unlink(partial);
        return s;
    }
    if (int err = file_layer().rename(partial, pngPath); err < 0) {
        (void)file_layer().unlink(partial);
        return Status::from_errno(-err);
    }
    return Status::success();
}

Status read_sheet(const std::string& pngPath, Encoding encoding, const ImageCollection* base,
                  SheetContent& out, const Progress& progress, const PngLimits& limits) {
    const std::string jsonPath = sheet_json_path(pngPath);
    std::vector<std::uint8_t> bytes;
    if (Status s = read_input_file(jsonPath, kMaxJsonBytes, bytes); !s.ok()) return s;
    nlohmann::json json;
    if (Status s = jf::parse(bytes, jsonPath, json); !s.ok()) return s;
    SheetContent content;
    if (Status s = parse_sheet_json(json, jsonPath, content.layout); !s.ok()) return s;
    if (Status s = read_input_file(pngPath, kMaxPngBytes, bytes); !s.ok()) return s;
    if (Status s = images_from_png(bytes, pngPath, content.layout, encoding, base, content.images,
                                   progress, limits);
        !s.ok())
        return s;
    out = std::move(content);
    return Status::success();
}

CollectionContent collection_content(SheetContent content) {
    CollectionContent out;
    out.images = std::move(content.images);
    out.palettes = content.layout.palettes;
    out.boxes.reserve(content.layout.imageSlots.size());
    for (const SheetSlot& s : content.layout.imageSlots) out.boxes.push_back(s.box);
    return out;
}

Status check_sheet_fits(const SpriteDocument& document, int collection, const SheetLayout& l) {
    if (!collection_in_use(document, collection))
        return Status::failure("There is no collection " + std::to_string(collection));
    const ImageCollection& col = document.collections[static_cast<std::size_t>(collection)];
    if (l.frames != col.frames || l.directions != col.directions) {
        return Status::failure("The sheet has " + counted(l.frames, "frame") + " and " +
                               counted(l.directions, "direction") + "; the collection has " +
                               counted(col.frames, "frame") + " and " +
                               counted(col.directions, "direction"));
    }
    return Status::success();
}

}  // namespace dabro
