#pragma once

#include "document/sprite_document.h"
#include "document/status.h"

namespace dabro {

// Halves an image in place: keeps each pixel whose x and y are both even under the halving
// row rule (the width before halving), writes it in the one-pixel encoding, and sets width
// and height to (n + 1) / 2. Box, kind, flag and source name stay. The result is sized
// exactly before anything is allocated; a result that would not fit a 32-bit dataLength
// fails and leaves the image unchanged.
Status halve_image(CollectionImage& image);

}  // namespace dabro
