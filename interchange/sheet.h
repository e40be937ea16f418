// Collection sheets: their layout, their JSON, and cutting a sheet into images.
#pragma once

#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <vector>

#include "document/document_edits.h"
#include "document/file_layer.h"
#include "document/sprite_document.h"
#include "document/status.h"
#include "imaging/pixel_image.h"
#include "interchange/png_codec.h"
#include "interchange/progress.h"

namespace dabro {

inline constexpr int kSheetFormatVersion = 1;

// One image of a sheet: where its pixels lie in the sheet and what else its slot holds.
struct SheetSlot {
    int frame = 0;
    int direction = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint8_t kind = 0;
    std::uint8_t flag = 0;
    std::string sourceName;
    BoundingBox box;
};

// What the JSON beside a sheet holds. A collection's sheet has one row per direction and
// one column per frame; each cell is the largest width x the largest height of the images,
// and each image sits at its cell's top-left.
struct SheetLayout {
    std::string name;
    int frames = 0;
    int directions = 0;
    std::int32_t cellWidth = 0;
    std::int32_t cellHeight = 0;
    std::array<Palette, kPalettesPerCollection> palettes{};
    std::vector<SheetSlot> imageSlots;  // in slot order: frame x directions + direction

    // The PNG's size: the cells, or 1 x 1 when they have no pixels (a PNG cannot be empty).
    std::uint32_t sheet_width() const;
    std::uint32_t sheet_height() const;
};

// The layout of a collection's sheet; fails when the sheet would exceed kMaxImagePixels.
Status sheet_layout(const ImageCollection& collection, SheetLayout& out);

nlohmann::ordered_json sheet_json(const SheetLayout& layout);

// Reads and checks a sheet's JSON: every key present with the right type and in range, each
// slot of frames x directions given once. `name` is the file's name for the messages.
Status parse_sheet_json(const nlohmann::json& json, const std::string& name, SheetLayout& out);

// Writes the collection's sheet as PNG, drawn with palette 0 a row of cells at a time.
Status write_sheet_png(const ImageCollection& collection, const SheetLayout& layout, ByteSink& sink,
                       const Progress& progress = {});

// The images a decoded sheet holds under the layout, matched to palette 0 of the layout,
// encoded with `encoding`. With a `base`, an image whose size and pixels equal those of the
// base's image of the same frame and direction drawn with the base's palette 0 keeps the
// base's encoded bytes. Fails naming the first slot whose pixels lie outside the sheet.
Status images_from_sheet(const RgbaImage& sheet, const SheetLayout& layout, Encoding encoding,
                         const ImageCollection* base, std::vector<CollectionImage>& images,
                         const Progress& progress = {});

// The same straight from the PNG's bytes, a row at a time, without the whole sheet in memory.
Status images_from_png(std::span<const std::uint8_t> png, const std::string& name,
                       const SheetLayout& layout, Encoding encoding, const ImageCollection* base,
                       std::vector<CollectionImage>& images, const Progress& progress = {},
                       const PngLimits& limits = {});

// The JSON file beside a sheet: the PNG's name with ".json" in place of ".png" (or added).
std::string sheet_json_path(const std::string& pngPath);

// Writes the collection's sheet to `pngPath` and its JSON beside it. Either both files are
// written or neither is changed.
Status export_sheet(const ImageCollection& collection, const std::string& pngPath,
                    const Progress& progress = {});

// A sheet read back: its layout and the images it holds.
struct SheetContent {
    SheetLayout layout;
    std::vector<CollectionImage> images;
};

// Reads a sheet and the JSON beside it; `base` as for images_from_sheet.
Status read_sheet(const std::string& pngPath, Encoding encoding, const ImageCollection* base,
                  SheetContent& out, const Progress& progress = {}, const PngLimits& limits = {});

// What a sheet puts into a collection, as the document's edits take it.
CollectionContent collection_content(SheetContent content);

// Refuses a sheet whose frames and directions differ from the collection's, naming both.
Status check_sheet_fits(const SpriteDocument& document, int collection, const SheetLayout& layout);

}  // namespace dabro
