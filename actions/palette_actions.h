// The palette commands: import a palette file into one of a collection's palettes, export one.
#pragma once

#include <string>

#include "commands/command.h"
#include "document/sprite_document.h"
#include "document/status.h"
#include "interchange/palette_file.h"

namespace dabro {

// How an import reads its file: as Palette > Import does (a signed file as its format, any
// other as the 768-byte palette file), or recognising every format by content.
enum class PaletteReading { SignedOrAct, AnyFormat };

// Whether the palette commands can run on the collection now: it is in use. Both commands
// check it first; the window enables its palette items by it.
Status palette_ready(const SpriteDocument& document, int collection);

// Import: palette `slot` of the collection takes the file's colours, as one step.
Status import_palette_step(const SpriteDocument& document, int collection, int slot,
                           const std::string& path, PaletteReading reading, CommandPtr& step);

// Export: all 256 entries of palette `slot` in `format`, written whole or not at all; a GIMP
// palette is named after the collection.
Status export_palette(const SpriteDocument& document, int collection, int slot,
                      const std::string& path, PaletteFormat format);

}  // namespace dabro
