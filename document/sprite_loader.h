// Reading a sprite file into the session, checked whole before the document is touched.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "document/sprite_document.h"
#include "document/status.h"

namespace dabro {

struct LoadReport {
    bool isSprite = false;              // false: the signature did not match
    bool sawUnreadableSection = false;  // some collection's images could not be read
};

// Reads the sprite file at `path` into the session. The whole file is checked before the
// document is touched, so a failed load leaves the session exactly as it was. On success
// currentFileName becomes `path`; when the signature does not match, the status is a success,
// report.isSprite is false, currentFileName is emptied and the document is unchanged.
Status load_sprite(const std::string& path, Session& session, LoadReport* report = nullptr);

}  // namespace dabro
