// The text dump: a document one field a line, for version control's text diff.
#pragma once

#include <string>

#include "document/sprite_document.h"

namespace dabro {

// The document one field a line, in a fixed order, for version control's text diff. Images
// show their size, kind, flag, box, data length and two hashes: of the encoded bytes and of
// the pixels they show within their size, so a change of encoding alone shows as such.
std::string document_text(const Session& session);

}  // namespace dabro
