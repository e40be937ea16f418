// The steps verbs share: loading and saving a sprite, and selecting a collection, image or palette.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "commands/command.h"
#include "document/document_edits.h"
#include "document/sprite_document.h"
#include "document/status.h"

namespace dabro::cli {

// Refuses a verb whose output would replace one of its inputs, compared by device and
// inode where both exist (so links and "./" paths are caught), else by canonical path. The
// verb's records say which operands and options are inputs and outputs, and which files go
// with them; FILE, when it is a folder, brings every file in it.
Status check_outputs(const Arguments& a);

// The files and folders a verb writes, by its records.
std::vector<std::string> outputs_of(const Arguments& a);

// Whether two paths lead to one file, as check_outputs compares them.
bool same_file(const std::string& a, const std::string& b);

// A sprite loaded into a session of its own, so a verb never sees another's document.
struct LoadedSprite {
    std::unique_ptr<Session> session = make_session();
    SpriteDocument& document() { return session->document; }
};

// Loads like the window's Open; a file without the signature is a failure here.
Status load(const std::string& path, LoadedSprite& sprite);

// The steps the image, palette and PNG verbs share: the parsed arguments, the loaded
// sprite and the readable collection of -c.
struct CollectionContext {
    Arguments args;
    LoadedSprite sprite;
    int c = 0;
    ImageCollection* collection = nullptr;

    ImageRef image(int slot) const { return {c, slot}; }
    // Applies one step to this verb's own document. The batch tool keeps no history, so the
    // step is applied once and never undone.
    void run(CommandPtr step) { step->apply(sprite.document()); }
    // The end every editing verb shares: runs the step (if any), saves -o and says so.
    Status save_step(CommandPtr step, std::ostream& out, std::string_view done);
};

// Loads the sprite and selects the collection of -c, refused when the sprite has no such
// collection or never read its images and palettes.
Status open_collection(const Arguments& a, CollectionContext& ctx);

// The image slot of -f and -d: frame x directions + direction, as the window selects it.
Status select_slot(const Arguments& a, const ImageCollection& collection, int& slot);

// How a verb words a palette outside 0..3: as a collection's palettes, or as the range to use.
enum class PaletteRangeText { Collection, Use };

// Palette -p, 0 unless given: one of a collection's four.
Status palette_option(const Arguments& a, int& palette,
                      PaletteRangeText wording = PaletteRangeText::Collection);

// Saves with the document's own header values, through the window's saver.
Status save(const std::string& path, LoadedSprite& sprite);

}  // namespace dabro::cli
