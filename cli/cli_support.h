#pragma once

#include <QStringList>

#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "commands/command.h"
#include "document/document_edits.h"
#include "document/sprite_document.h"
#include "document/status.h"

namespace dabro::cli {

// The arguments of one command: the sprite file, options with a value, and bare flags.
struct Arguments {
    std::string file;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;

    bool has(const std::string& option) const { return values.count(option) != 0; }
    const std::string& value(const std::string& option) const { return values.at(option); }
};

Status parse_arguments(const QStringList& args, const std::set<std::string>& valueOptions,
                       const std::set<std::string>& flagOptions, Arguments& parsed);

// Fails naming the first of `options` that was not given.
Status require(const Arguments& a, std::initializer_list<const char*> options);

// The option's value by the program's text-to-integer rule.
Status int_option(const Arguments& a, const char* option, int& value);

// Refuses a command whose output would replace one of its inputs, compared by device and
// inode where both exist (so links and "./" paths are caught), else by canonical path. The
// inputs are FILE (every file in it when it is a folder) and the files of --png, --sheet
// with the JSON beside it, --raw with the palettes its name leads to, --palette and --base;
// the outputs are -o and the files of `beside`, written next to it.
Status check_outputs(const Arguments& a, std::initializer_list<std::string> beside = {});

// A sprite loaded into a session of its own, so a command never sees another's document.
struct LoadedSprite {
    std::unique_ptr<Session> session = make_session();
    SpriteDocument& document() { return session->document; }
};

// Loads like the window's Open; a file without the signature is a failure here.
Status load(const std::string& path, LoadedSprite& sprite);

// The steps the image, palette and PNG commands share: the parsed arguments, the loaded
// sprite and the readable collection of -c.
struct CollectionContext {
    Arguments args;
    LoadedSprite sprite;
    int c = 0;
    ImageCollection* collection = nullptr;

    ImageRef image(int slot) const { return {c, slot}; }
    // Every change is a command, run as the window runs it.
    void run(CommandPtr step) { step->apply(sprite.document()); }
};

// Parses, checks the required options, loads the sprite and selects the collection of -c,
// refused when the sprite has no such collection or never read its images and palettes.
Status open_collection(const QStringList& args, const std::set<std::string>& valueOptions,
                       const std::set<std::string>& flagOptions,
                       std::initializer_list<const char*> required, CollectionContext& ctx);

// The image slot of -f and -d: frame x directions + direction, as the window selects it.
Status select_slot(const Arguments& a, const ImageCollection& collection, int& slot);

// Saves with the document's own header values, through the window's saver.
Status save(const std::string& path, LoadedSprite& sprite);

}  // namespace dabro::cli
