// Whether a collection's sheet stays within the pixel limit after an import.
#pragma once

#include <cstdint>
#include <string>

#include "document/sprite_document.h"
#include "document/status.h"

namespace dabro {

// A collection's sheet is frames x the largest width by directions x the largest height.
// Fails when an image of width x height in `slot` would take it over kMaxImagePixels, so that
// the collection could no longer be exported or unpacked; the message names both sizes.
Status check_sheet_room(const ImageCollection& collection, int slot, std::int32_t width,
                        std::int32_t height);

// The same for a sheet's images whose largest is width x height.
Status check_sheet_room(const std::string& name, int frames, int directions, std::int64_t width,
                        std::int64_t height);

}  // namespace dabro
