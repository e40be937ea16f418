// The document as JSON: dump's whole view, and the sequence entries an unpacked folder shares.
#pragma once

#include <nlohmann/json.hpp>

#include "document/sprite_document.h"

namespace dabro {

// One sequence as {"name", "collectionIndex", "frames": [{"imageIndex", "frameValue"}]}: its
// first frameCount frames (within 0..100), the name read as Latin-1.
nlohmann::ordered_json sequence_json(const Sequence& sequence);

// The document as `dump` prints it: the header, the sequences and collections in use, every
// slot of each collection with its image's bytes in hex, names as Latin-1. Keys are sorted.
nlohmann::json document_json(const Session& session);

}  // namespace dabro
