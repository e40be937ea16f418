// The palette commands: import a palette file into one of a collection's palettes, export one.
#include "actions/palette_actions.h"

#include "commands/document_commands.h"
#include "interchange/palette_formats.h"

namespace dabro {

namespace {

Status check_palette(const SpriteDocument& document, int collection, int slot) {
    if (Status s = palette_ready(document, collection); !s.ok()) return s;
    if (slot < 0 || slot >= kPalettesPerCollection)
        return Status::failure("There is no palette " + std::to_string(slot));
    return Status::success();
}

const Palette& palette_at(const SpriteDocument& document, int collection, int slot) {
    return document.collections[static_cast<std::size_t>(collection)]
        .palettes[static_cast<std::size_t>(slot)];
}

}  // namespace

Status palette_ready(const SpriteDocument& document, int collection) {
    return collection_in_use(document, collection)
               ? Status::success()
               : Status::failure("There is no collection " + std::to_string(collection));
}

Status import_palette_step(const SpriteDocument& document, int collection, int slot,
                           const std::string& path, PaletteReading reading, CommandPtr& step) {
    if (Status s = check_palette(document, collection, slot); !s.ok()) return s;
    Palette palette = palette_at(document, collection, slot);
    const Status read = reading == PaletteReading::SignedOrAct
                            ? read_signed_or_act_palette(path, palette)
                            : read_any_palette(path, palette);
    if (!read.ok()) return read;
    step = set_palette_command("Import palette", collection, palette, slot);
    return Status::success();
}

Status export_palette(const SpriteDocument& document, int collection, int slot,
                      const std::string& path, PaletteFormat format) {
    if (Status s = check_palette(document, collection, slot); !s.ok()) return s;
    return write_palette_as(path, palette_at(document, collection, slot), format,
                            document.collections[static_cast<std::size_t>(collection)].name.view());
}

}  // namespace dabro
