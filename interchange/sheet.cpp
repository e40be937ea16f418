#include "interchange/sheet.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "document/document_edits.h"
#include "imaging/colour_match.h"
#include "interchange/json_fields.h"

namespace dabro {

namespace jf = json_fields;

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

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
                             {"sourceName", jf::latin1_to_utf8(s.sourceName)},
                             {"box", Json{{"left", s.box.left},
                                          {"top", s.box.top},
                                          {"right", s.box.right},
                                          {"bottom", s.box.bottom}}}});
    }
    return Json{{"format", "dabro-sheet"},
                {"version", kSheetFormatVersion},
                {"name", jf::latin1_to_utf8(layout.name)},
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
    const std::int64_t version =
        jf::integer(jf::member(json, top, "version"), "version", 0, kInt32Max);
    if (version != kSheetFormatVersion)
        jf::fail("version", "is " + std::to_string(version) + "; this program reads version " +
                                std::to_string(kSheetFormatVersion));
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
        jf::fail("slots", "holds " + std::to_string(slots.size()) + " slots; " +
                              std::to_string(out.frames) + " frames x " +
                              std::to_string(out.directions) + " directions need " +
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
        slot.width = int32_at(s, path, "width");
        slot.height = int32_at(s, path, "height");
        slot.kind = static_cast<std::uint8_t>(
            jf::integer(jf::member(s, path, "kind"), jf::at_key(path, "kind"), 0, 255));
        slot.flag = static_cast<std::uint8_t>(
            jf::integer(jf::member(s, path, "flag"), jf::at_key(path, "flag"), 0, 255));
        slot.sourceName = jf::latin1_name(jf::member(s, path, "sourceName"),
                                          jf::at_key(path, "sourceName"), kMaxSourceNameLength);
        slot.box = read_box(jf::member(s, path, "box"), jf::at_key(path, "box"));
        out.imageSlots[k] = std::move(slot);
    }
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

namespace {

std::string slot_text(const SheetSlot& s) {
    return "frame " + std::to_string(s.frame) + ", direction " + std::to_string(s.direction);
}

// Whether the sheet's cell shows exactly the base image drawn with the base's palette 0.
bool same_as_base(const RgbaImage& sheet, const SheetSlot& s, const ImageCollection& base,
                  const RgbaPalette& basePalette, std::vector<std::uint32_t>& scratch) {
    const int slot = base.slot_of(s.frame, s.direction);
    if (slot < 0) return false;
    const CollectionImage& image = base.images[static_cast<std::size_t>(slot)];
    if (image.width != s.width || image.height != s.height) return false;
    if (s.width <= 0 || s.height <= 0) return true;
    const auto w = static_cast<std::size_t>(s.width);
    const auto h = static_cast<std::size_t>(s.height);
    scratch.assign(w * h, 0u);
    draw_rgba(image, basePalette, scratch.data(), static_cast<std::ptrdiff_t>(w));
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint32_t* row = sheet.pixels.data() +
                                   (static_cast<std::size_t>(s.y) + y) * sheet.width +
                                   static_cast<std::size_t>(s.x);
        if (std::memcmp(row, scratch.data() + y * w, w * sizeof(std::uint32_t)) != 0) return false;
    }
    return true;
}

}  // namespace

Status images_from_sheet(const RgbaImage& sheet, const SheetLayout& layout, Encoding encoding,
                         const ImageCollection* base, std::vector<CollectionImage>& images,
                         const Progress& progress) {
    ColourMatcher matcher(layout.palettes[0]);
    RgbaPalette basePalette{};
    if (base) basePalette = rgba_palette(base->palettes[0]);
    std::vector<std::uint32_t> scratch;
    std::vector<CollectionImage> out(layout.imageSlots.size());
    PixelImage pixels;
    const auto total = static_cast<std::int64_t>(layout.imageSlots.size());
    for (std::size_t k = 0; k < layout.imageSlots.size(); ++k) {
        if (k % 64 == 0 && !keep_going(progress, static_cast<std::int64_t>(k), total))
            return Status::failure(kCancelledMessage);
        const SheetSlot& s = layout.imageSlots[k];
        const std::int64_t w = std::max(s.width, 0);
        const std::int64_t h = std::max(s.height, 0);
        if (w > 0 && h > 0 && (s.x + w > sheet.width || s.y + h > sheet.height)) {
            return Status::failure("The image of " + slot_text(s) + " (" + std::to_string(w) +
                                   " x " + std::to_string(h) + " at " + std::to_string(s.x) + ", " +
                                   std::to_string(s.y) + ") lies outside the sheet of " +
                                   std::to_string(sheet.width) + " x " +
                                   std::to_string(sheet.height) + " pixels");
        }
        CollectionImage& image = out[k];
        image.kind = s.kind;
        image.width = s.width;
        image.height = s.height;
        image.flag = s.flag;
        image.sourceName.assign(s.sourceName);
        if (base && same_as_base(sheet, s, *base, basePalette, scratch)) {
            const int slot = base->slot_of(s.frame, s.direction);
            image.set_data(base->images[static_cast<std::size_t>(slot)].data);
            continue;
        }
        pixels.width = static_cast<std::int32_t>(w);
        pixels.height = static_cast<std::int32_t>(h);
        pixels.pixels.resize(static_cast<std::size_t>(w * h));
        for (std::int64_t y = 0; y < h; ++y) {
            const std::uint32_t* row = sheet.pixels.data() +
                                       static_cast<std::size_t>(s.y + y) * sheet.width +
                                       static_cast<std::size_t>(s.x);
            Pixel* to = pixels.pixels.data() + y * w;
            for (std::int64_t x = 0; x < w; ++x) to[x] = matcher.match(row[x]);
        }
        image.set_data(encode_pixels(pixels, encoding));
    }
    images = std::move(out);
    return Status::success();
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

Status read_input_file(const std::string& path, std::size_t maxBytes,
                       std::vector<std::uint8_t>& bytes) {
    FileReader in;
    Status s = in.open(path);
    if (s.ok() && in.size() > maxBytes)
        s = Status::failure("is " + std::to_string(in.size()) + " bytes, more than the " +
                            std::to_string(maxBytes) + " allowed");
    std::vector<std::uint8_t> read;
    if (s.ok() && !in.append(read, in.size())) s = in.status();
    if (!s.ok()) return Status::failure(path + ": " + s.message());
    bytes = std::move(read);
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
    RgbaImage sheet;
    if (Status s = decode_png(bytes, pngPath, sheet, limits); !s.ok()) return s;
    if (Status s =
            images_from_sheet(sheet, content.layout, encoding, base, content.images, progress);
        !s.ok())
        return s;
    out = std::move(content);
    return Status::success();
}

Status apply_sheet(SpriteDocument& document, int collection, SheetContent content) {
    if (collection < 0 || collection >= document.collectionCount)
        return Status::failure("There is no collection " + std::to_string(collection));
    const ImageCollection& col = document.collections[static_cast<std::size_t>(collection)];
    const SheetLayout& l = content.layout;
    if (l.frames != col.frames || l.directions != col.directions) {
        return Status::failure("The sheet has " + std::to_string(l.frames) + " frames and " +
                               std::to_string(l.directions) + " directions; the collection has " +
                               std::to_string(col.frames) + " frames and " +
                               std::to_string(col.directions) + " directions");
    }
    std::vector<BoundingBox> boxes;
    boxes.reserve(l.imageSlots.size());
    for (const SheetSlot& s : l.imageSlots) boxes.push_back(s.box);
    replace_collection_images(document, collection, std::move(content.images), boxes, l.palettes);
    return Status::success();
}

}  // namespace dabro
