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

// What a skeleton's step works on: the parsed arguments, the loaded sprite and what the verb
// picks, the readable collection of -c and its images [slot, end).
struct EditContext {
    const Arguments& args;
    LoadedSprite sprite = {};
    int c = 0;
    ImageCollection* collection = nullptr;
    int slot = 0;
    int end = 0;
    std::vector<std::string> lines = {};  // printed after the save

    SpriteDocument& document() { return sprite.document(); }
    ImageRef image(int at) const { return {c, at}; }
    // Applies one step to this verb's own document. The batch tool keeps no history, so the
    // step is applied once and never undone.
    void run(CommandPtr step) { step->apply(sprite.document()); }
};

struct Skeleton;

// Runs a verb declared by its skeleton. A collection is refused when the sprite has no such
// collection or never read its images and palettes.
Status run_skeleton(const Skeleton& edit, const Arguments& a, std::ostream& out);

// How a verb words a palette outside 0..3: as a collection's palettes, or as the range to use.
enum class PaletteRangeText { Collection, Use };

// Palette -p, 0 unless given: one of a collection's four.
Status palette_option(const Arguments& a, int& palette,
                      PaletteRangeText wording = PaletteRangeText::Collection);

// Saves with the document's own header values, through the window's saver.
Status save(const std::string& path, LoadedSprite& sprite);

}  // namespace dabro::cli
