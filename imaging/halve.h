// Halving an image.
#pragma once

#include "document/sprite_document.h"
#include "document/status.h"

namespace dabro {

// The image halved: each pixel whose x and y are both even under the halving row rule (the
// width before halving), in the one-pixel encoding, with width and height (n + 1) / 2. The
// result is sized exactly before anything is allocated; one that would not fit a 32-bit
// dataLength fails, and `halved` is left as it was.
Status halve_image(const CollectionImage& image, EncodedImage& halved);

}  // namespace dabro
