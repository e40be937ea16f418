#pragma once

#include <memory>

#include "document/sprite_document.h"

namespace dabro::test {

// The sprite in samples/: a spinning coin seen from one side, a slime from four and an
// arrow from eight, with their palettes and three sequences. Drawn by code, so the file
// can be made again at any time.
std::unique_ptr<SpriteDocument> make_sample_document();

// The sprite samples/walk.spr: a walk cycle of eight frames whose boxes centre each image in
// the frame, so its feet jump as it plays; one box is also a pixel wider than its image.
std::unique_ptr<SpriteDocument> make_walk_sample_document();

}  // namespace dabro::test
