// Writing a document as a sprite file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "document/sprite_document.h"
#include "document/status.h"

namespace dabro {

// The seven header values written to a file.
using HeaderValues = SpriteHeader;

HeaderValues header_of(const SpriteDocument& document);

// Lays the document out as a sprite file, with each collection's section offset patched to
// where its section starts, and writes it atomically: on any failure the file at `path` is
// as it was. Fails, naming the collection, when a collection's images were never read (a
// section type other than "1" and " "), since writing them would lose them.
Status save_sprite(const std::string& path, const SpriteDocument& document,
                   const HeaderValues& header);

}  // namespace dabro
