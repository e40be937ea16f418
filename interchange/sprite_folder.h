// A whole sprite as a folder of JSON and sheet PNGs: unpack and pack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/sprite_document.h"
#include "document/status.h"
#include "imaging/pixel_image.h"
#include "interchange/png_codec.h"
#include "interchange/progress.h"

// A whole sprite as a folder a modder can edit: sprite.json with the header, the sequences
// and one entry per collection, and one sheet PNG per collection of readable images.
namespace dabro {

inline constexpr int kSpriteFolderVersion = 1;
inline constexpr const char* kSpriteJsonName = "sprite.json";

// "NN-<name>.png": the collection's number and its name with every character other than
// letters, digits, '-', '_' and '.' made '_'.
std::string sheet_file_name(int collection, std::string_view name);

// Writes the document into `folder`, which is created; an existing folder must be empty.
// The files are written to a folder of their own beside it first, so a failure leaves no
// trace. Refused when a collection's images were never read.
Status unpack_sprite(const SpriteDocument& document, const std::string& folder,
                     const Progress& progress = {});

// Gives pack the bytes of a file of the folder, by its name in the folder; a file larger
// than `maxBytes` is refused.
using FolderReader = std::function<Status(const std::string& name, std::size_t maxBytes,
                                          std::vector<std::uint8_t>& bytes)>;

struct PackOptions {
    Encoding encoding = Encoding::Compact;
    // With a base, an image whose sheet pixels equal its rendering in the base keeps the
    // base's encoded bytes, and a palette colour equal to the base's keeps the base's stored
    // value, so an unedited folder packs to the bytes the base saves to.
    const SpriteDocument* base = nullptr;
    PngLimits limits;
    Progress progress;
};

// Builds a sprite from a folder's files. Counts may differ from any base's, within the
// format's capacities. Nothing is given back unless every file is sound.
Status pack_sprite(const FolderReader& read, const PackOptions& options,
                   std::unique_ptr<SpriteDocument>& out);

// The same from a folder on disk.
// Sheet file name to the collections that name it in sprite.json.
using SheetOwners = std::multimap<std::string, int>;

// The sheets the folder's sprite.json names, read leniently: false when it cannot be read at
// all (a pack then says why).
bool read_sheet_owners(const std::string& folder, SheetOwners& owners);

Status pack_folder(const std::string& folder, const PackOptions& options,
                   std::unique_ptr<SpriteDocument>& out);

}  // namespace dabro
