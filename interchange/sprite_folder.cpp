// A whole sprite as a folder of JSON and sheet PNGs: unpack and pack.
#include "interchange/sprite_folder.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <limits>
#include <system_error>

#include "document/file_layer.h"
#include "document/name_text.h"
#include "interchange/document_json.h"
#include "interchange/json_fields.h"
#include "interchange/sheet.h"

namespace dabro {

namespace jf = json_fields;
namespace fs = std::filesystem;

namespace {

using OrderedJson = nlohmann::ordered_json;

constexpr char kSpriteFormat[] = "dabro-sprite";

OrderedJson box_json(const BoundingBox& box) {
    return {{"left", box.left}, {"top", box.top}, {"right", box.right}, {"bottom", box.bottom}};
}

// A collection whose section is the short form holds no images: only its boxes are kept.
OrderedJson short_collection_json(const ImageCollection& col) {
    OrderedJson boxes = OrderedJson::array();
    for (int k = 0; k < col.slot_count(); ++k)
        boxes.push_back(box_json(col.boxes[static_cast<std::size_t>(k)]));
    return {{"imageSectionType", std::string(1, kShortSection)},
            {"name", latin1_to_utf8(col.name.view())},
            {"frames", col.frames},
            {"directions", col.directions},
            {"boxes", std::move(boxes)}};
}

struct PlannedSheet {
    int collection = 0;
    SheetLayout layout;
    std::string file;
};

Status plan_unpack(const SpriteDocument& doc, OrderedJson& json,
                   std::vector<PlannedSheet>& sheets) {
    OrderedJson sequences = OrderedJson::array();
    for (int s = 0; s < std::clamp(doc.sequenceCount, 0, kMaxSequences); ++s)
        sequences.push_back(sequence_json(doc.sequences[static_cast<std::size_t>(s)]));
    OrderedJson collections = OrderedJson::array();
    for (int c = 0; c < std::clamp(doc.collectionCount, 0, kMaxCollections); ++c) {
        const ImageCollection& col = doc.collections[static_cast<std::size_t>(c)];
        if (col.imageSectionType == kShortSection) {
            collections.push_back(short_collection_json(col));
            continue;
        }
        if (col.imageSectionType != kReadableSection) {
            return Status::failure("Collection " + std::to_string(c) + " '" + col.name.str() +
                                   "' holds images that could not be read, so it cannot be "
                                   "unpacked");
        }
        PlannedSheet sheet;
        sheet.collection = c;
        if (Status s = sheet_layout(col, sheet.layout); !s.ok()) return s;
        sheet.file = sheet_file_name(c, col.name.view());
        OrderedJson entry = sheet_json(sheet.layout);
        entry["imageSectionType"] = std::string(1, kReadableSection);
        entry["sheet"] = sheet.file;
        collections.push_back(std::move(entry));
        sheets.push_back(std::move(sheet));
    }
    json = OrderedJson{{"format", kSpriteFormat}, {"version", kSpriteFolderVersion}};
    jf::put_header(json, doc);
    json["sequences"] = std::move(sequences);
    json["collections"] = std::move(collections);
    return Status::success();
}

Status fs_failure(const std::string& what, const std::error_code& ec) {
    return Status::failure(what + ": " + ec.message());
}

}  // namespace

std::string sheet_file_name(int collection, std::string_view name) {
    std::string file = collection < 10 ? "0" : "";
    file += std::to_string(collection) + "-";
    for (char ch : name) {
        const bool safe = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') ||
                          (ch >= '0' && ch <= '9') || ch == '-' || ch == '_' || ch == '.';
        file += safe ? ch : '_';
    }
    return file + ".png";
}

Status unpack_sprite(const SpriteDocument& document, const std::string& folder,
                     const Progress& progress) {
    std::error_code ec;
    const fs::path target(folder);
    const bool exists = fs::exists(target, ec);
    if (exists && !fs::is_directory(target, ec))
        return Status::failure(folder + " exists and is not a folder");
    if (exists && !fs::is_empty(target, ec))
        return Status::failure(folder + " exists and is not empty");

    OrderedJson json;
    std::vector<PlannedSheet> sheets;
    if (Status s = plan_unpack(document, json, sheets); !s.ok()) return s;

    // Everything is written to a new folder beside the target, which then takes its name.
    if (makes_missing_folders())
        if (Status s = make_parent_folders(folder); !s.ok()) return s;
    fs::path parent = target.parent_path();
    if (parent.empty()) parent = ".";
    std::string pattern = (parent / ("." + target.filename().string() + ".unpack-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return Status::failure(errno == ENOENT || errno == ENOTDIR
                                   ? parent.string() + "/: Folder not found"
                                   : folder + ": " + std::generic_category().message(errno));
    const fs::path staging(pattern);
    // mkdtemp makes the folder private; the unpacked folder gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    fs::permissions(staging, static_cast<fs::perms>(0777 & ~mask), ec);
    auto fail = [&](Status s) {
        fs::remove_all(staging, ec);
        // The work folder is gone: a file error in it names the folder being made.
        if (s.subject().rfind(staging.string(), 0) == 0)
            return Status::file_error(s.code()).about(folder);
        return s;
    };

    const auto total = static_cast<std::int64_t>(sheets.size()) + 1;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        if (stop_requested() || !keep_going(progress, static_cast<std::int64_t>(i), total))
            return fail(Status::cancelled());
        const PlannedSheet& sheet = sheets[i];
        const ImageCollection& col =
            document.collections[static_cast<std::size_t>(sheet.collection)];
        if (Status s = write_file_atomically(
                (staging / sheet.file).string(),
                [&](ByteSink& sink) { return write_sheet_png(col, sheet.layout, sink); });
            !s.ok())
            return fail(s);
    }
    if (Status s = write_text_atomically((staging / kSpriteJsonName).string(), json.dump(1) + "\n");
        !s.ok())
        return fail(s);
    if (!keep_going(progress, total - 1, total)) return fail(Status::cancelled());
    if (exists) {
        fs::remove(target, ec);
        if (ec) return fail(fs_failure(folder, ec));
    }
    fs::rename(staging, target, ec);
    if (ec) return fail(fs_failure(folder, ec));
    return Status::success();
}

namespace {

struct StagedCollection {
    char type = kReadableSection;
    SheetLayout layout;  // the short form fills name, frames, directions and boxes only
    std::vector<BoundingBox> boxes;
    std::string sheet;
};

void read_header(const jf::Json& json, SpriteDocument& doc) {
    const std::string top;
    jf::object(json, top);
    jf::check_version(json, kSpriteFolderVersion);
    const jf::Json& dims = jf::array(jf::member(json, top, "dimensions"), "dimensions");
    if (dims.size() != doc.dimensions.size()) jf::fail("dimensions", "must hold 3 values");
    for (std::size_t i = 0; i < dims.size(); ++i)
        doc.dimensions[i] =
            static_cast<std::uint8_t>(jf::integer(dims[i], jf::at_index("dimensions", i), 0, 255));
    doc.centerX = static_cast<std::int32_t>(
        jf::integer(jf::member(json, top, "centerX"), "centerX", jf::kInt32Min, jf::kInt32Max));
    doc.centerY = static_cast<std::int32_t>(
        jf::integer(jf::member(json, top, "centerY"), "centerY", jf::kInt32Min, jf::kInt32Max));
    doc.headerWord = static_cast<std::uint16_t>(
        jf::integer(jf::member(json, top, "headerWord"), "headerWord", 0, 0xFFFF));
    doc.headerByte = static_cast<std::uint8_t>(
        jf::integer(jf::member(json, top, "headerByte"), "headerByte", 0, 0xFF));
}

void read_sequences(const jf::Json& json, SpriteDocument& doc) {
    const jf::Json& sequences = jf::array(jf::member(json, "", "sequences"), "sequences");
    if (sequences.size() > kMaxSequences)
        jf::fail("sequences", "holds " + std::to_string(sequences.size()) + ", more than " +
                                  std::to_string(kMaxSequences));
    doc.sequenceCount = static_cast<std::int32_t>(sequences.size());
    for (std::size_t s = 0; s < sequences.size(); ++s) {
        const std::string path = jf::at_index("sequences", s);
        const jf::Json& from = jf::object(sequences[s], path);
        Sequence& seq = doc.sequences[s];
        seq.set_name(jf::latin1_name(jf::member(from, path, "name"), jf::at_key(path, "name"),
                                     kMaxNameLength));
        seq.collectionIndex =
            static_cast<std::uint16_t>(jf::integer(jf::member(from, path, "collectionIndex"),
                                                   jf::at_key(path, "collectionIndex"), 0, 0xFFFF));
        const std::string framesPath = jf::at_key(path, "frames");
        const jf::Json& frames = jf::array(jf::member(from, path, "frames"), framesPath);
        if (frames.size() > kMaxSequenceFrames)
            jf::fail(framesPath, "holds " + std::to_string(frames.size()) + ", more than " +
                                     std::to_string(kMaxSequenceFrames));
        seq.frameCount = static_cast<std::int32_t>(frames.size());
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const std::string fp = jf::at_index(framesPath, i);
            const jf::Json& frame = jf::object(frames[i], fp);
            seq.imageIndex[i] = static_cast<std::int16_t>(jf::integer(
                jf::member(frame, fp, "imageIndex"), jf::at_key(fp, "imageIndex"), -32768, 32767));
            seq.frameValue[i] = static_cast<std::int32_t>(
                jf::integer(jf::member(frame, fp, "frameValue"), jf::at_key(fp, "frameValue"),
                            jf::kInt32Min, jf::kInt32Max));
        }
    }
}

// A sheet's file must lie in the folder itself.
void check_file_name(const std::string& name, const std::string& path) {
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of(std::string("/\\\0", 3)) != std::string::npos)
        jf::fail(path, "must name a file in the folder itself");
}

void read_short_collection(const jf::Json& entry, const std::string& path, StagedCollection& col) {
    col.type = kShortSection;
    col.layout.name =
        jf::latin1_name(jf::member(entry, path, "name"), jf::at_key(path, "name"), kMaxNameLength);
    col.layout.frames = static_cast<int>(jf::integer(
        jf::member(entry, path, "frames"), jf::at_key(path, "frames"), 0, kMaxImageSlots));
    col.layout.directions = static_cast<int>(jf::integer(
        jf::member(entry, path, "directions"), jf::at_key(path, "directions"), 0, kMaxImageSlots));
    const int count = col.layout.frames * col.layout.directions;
    if (count > kMaxImageSlots)
        jf::fail(jf::at_key(path, "frames"),
                 "x directions is more than " + std::to_string(kMaxImageSlots) + " images");
    const std::string boxesPath = jf::at_key(path, "boxes");
    const jf::Json& boxes = jf::array(jf::member(entry, path, "boxes"), boxesPath);
    if (boxes.size() != static_cast<std::size_t>(count))
        jf::fail(boxesPath, "must hold " + std::to_string(count) + " boxes, one per image");
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        const std::string bp = jf::at_index(boxesPath, k);
        const jf::Json& b = jf::object(boxes[k], bp);
        auto side = [&](const char* key) {
            return static_cast<std::int32_t>(jf::integer(
                jf::member(b, bp, key), jf::at_key(bp, key), jf::kInt32Min, jf::kInt32Max));
        };
        col.boxes.push_back({side("left"), side("top"), side("right"), side("bottom")});
    }
}

Status read_collections(const jf::Json& json, const std::string& jsonName,
                        std::vector<StagedCollection>& out) {
    const jf::Json* collections = nullptr;
    if (Status s = jf::checked(
            jsonName,
            [&] {
                collections = &jf::array(jf::member(json, "", "collections"), "collections");
                if (collections->size() > kMaxCollections)
                    jf::fail("collections", "holds " + std::to_string(collections->size()) +
                                                ", more than " + std::to_string(kMaxCollections));
            });
        !s.ok())
        return s;
    out.resize(collections->size());
    for (std::size_t c = 0; c < collections->size(); ++c) {
        const std::string path = jf::at_index("collections", c);
        const jf::Json& entry = (*collections)[c];
        StagedCollection& col = out[c];
        bool readable = false;
        if (Status s = jf::checked(jsonName,
                                   [&] {
                                       jf::object(entry, path);
                                       const std::string type =
                                           jf::text(jf::member(entry, path, "imageSectionType"),
                                                    jf::at_key(path, "imageSectionType"));
                                       if (type == std::string(1, kShortSection)) {
                                           read_short_collection(entry, path, col);
                                       } else if (type == std::string(1, kReadableSection)) {
                                           readable = true;
                                           col.sheet = jf::text(jf::member(entry, path, "sheet"),
                                                                jf::at_key(path, "sheet"));
                                           check_file_name(col.sheet, jf::at_key(path, "sheet"));
                                       } else {
                                           jf::fail(jf::at_key(path, "imageSectionType"),
                                                    "must be \"1\" (images) or \" \" (none)");
                                       }
                                   });
            !s.ok())
            return s;
        if (readable) {
            if (Status s = parse_sheet_json(entry, jsonName + ", " + path, col.layout); !s.ok())
                return s;
            for (const SheetSlot& slot : col.layout.imageSlots) col.boxes.push_back(slot.box);
        }
    }
    return Status::success();
}

// Keeps the base's stored value of each palette colour that the folder did not change, so
// bits the colour text cannot show survive an unedited round trip.
Palette with_base_values(const Palette& colours, const Palette& base) {
    Palette out = colours;
    for (std::size_t i = 0; i < out.size(); ++i)
        if ((base[i] & 0xFFFFFFu) == out[i]) out[i] = base[i];
    return out;
}

}  // namespace

Status pack_sprite(const FolderReader& read, const PackOptions& options,
                   std::unique_ptr<SpriteDocument>& out) {
    std::vector<std::uint8_t> bytes;
    if (Status s = read(kSpriteJsonName, kMaxJsonBytes, bytes); !s.ok()) return s;
    jf::Json json;
    if (Status s = jf::parse(bytes, kSpriteJsonName, json); !s.ok()) return s;
    auto doc = std::make_unique<SpriteDocument>();
    if (Status s = jf::checked(kSpriteJsonName,
                               [&] {
                                   read_header(json, *doc);
                                   read_sequences(json, *doc);
                               });
        !s.ok())
        return s;
    std::vector<StagedCollection> staged;
    if (Status s = read_collections(json, kSpriteJsonName, staged); !s.ok()) return s;

    const SpriteDocument* base = options.base;
    const auto total = static_cast<std::int64_t>(staged.size());
    doc->collectionCount = static_cast<std::int32_t>(staged.size());
    for (std::size_t c = 0; c < staged.size(); ++c) {
        if (!keep_going(options.progress, static_cast<std::int64_t>(c), total))
            return Status::cancelled();
        StagedCollection& from = staged[c];
        ImageCollection& col = doc->collections[c];
        col.set_name(from.layout.name);
        col.frames = from.layout.frames;
        col.directions = from.layout.directions;
        col.imageSectionType = from.type;
        std::copy(from.boxes.begin(), from.boxes.end(), col.boxes.begin());
        if (from.type != kReadableSection) continue;

        const ImageCollection* baseCol = nullptr;
        if (base && static_cast<int>(c) < base->collectionCount &&
            base->collections[c].imageSectionType == kReadableSection)
            baseCol = &base->collections[c];
        if (Status s = read(from.sheet, kMaxPngBytes, bytes); !s.ok()) return s;
        std::vector<CollectionImage> images;
        if (Status s = images_from_png(bytes, from.sheet, from.layout, options.encoding, baseCol,
                                       images, {}, options.limits);
            !s.ok())
            return s.about_any(from.sheet);
        for (std::size_t p = 0; p < col.palettes.size(); ++p)
            col.palettes[p] = baseCol
                                  ? with_base_values(from.layout.palettes[p], baseCol->palettes[p])
                                  : from.layout.palettes[p];
        std::move(images.begin(), images.end(), col.images.begin());
    }
    out = std::move(doc);
    return Status::success();
}

Status pack_folder(const std::string& folder, const PackOptions& options,
                   std::unique_ptr<SpriteDocument>& out) {
    return pack_sprite(
        [&](const std::string& name, std::size_t maxBytes, std::vector<std::uint8_t>& bytes) {
            return read_input_file((fs::path(folder) / name).string(), maxBytes, bytes);
        },
        options, out);
}

bool read_sheet_owners(const std::string& folder, SheetOwners& owners) {
    std::vector<std::uint8_t> bytes;
    jf::Json json;
    const std::string path = (fs::path(folder) / kSpriteJsonName).string();
    if (!read_input_file(path, kMaxJsonBytes, bytes).ok() ||
        !jf::parse(bytes, kSpriteJsonName, json).ok() || !json.is_object())
        return false;
    owners.clear();
    const auto collections = json.find("collections");
    if (collections == json.end() || !collections->is_array()) return true;
    for (std::size_t c = 0; c < collections->size(); ++c) {
        const jf::Json& entry = (*collections)[c];
        if (!entry.is_object()) continue;
        const auto sheet = entry.find("sheet");
        if (sheet != entry.end() && sheet->is_string())
            owners.emplace(sheet->get<std::string>(), static_cast<int>(c));
    }
    return true;
}

}  // namespace dabro
