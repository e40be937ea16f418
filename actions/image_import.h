// The image and sheet imports as steps: read and decode a file, then build the undoable step.
#pragma once

#include <string>

#include "commands/command.h"
#include "document/document_edits.h"
#include "document/sprite_document.h"
#include "document/status.h"
#include "interchange/progress.h"

namespace dabro {

// Whether the collection is in the sprite and its images can be read and replaced.
bool images_readable(const SpriteDocument& document, int collection);

// A PNG into image `ref`, colours matched to palette 0 of its collection; pixels the PNG
// shows as the image shows them keep their indices. Fails, with the document untouched,
// when the file cannot be read or decoded or the image is not there.
Status import_png_step(const SpriteDocument& document, ImageRef ref, const std::string& path,
                       std::string stepName, CommandPtr& step);

// A collection sheet and the JSON beside it into collection `collection`, all its images in
// one step. Fails when either file cannot be read or the sheet does not fit the collection.
Status import_sheet_step(const SpriteDocument& document, int collection, const std::string& path,
                         std::string stepName, CommandPtr& step, const Progress& progress = {});

}  // namespace dabro
