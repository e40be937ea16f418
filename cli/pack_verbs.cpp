// The verbs that write a whole sprite anew: pack and watch from an unpacked folder, recompress.
#include "actions/image_actions.h"
#include "cli/cli_support.h"
#include "cli/pack_steps.h"
#include "cli/verb.h"
#include "cli/watch_verb.h"

namespace dabro::cli {

namespace {

Outcome run_pack(const Arguments& a, std::ostream& out, std::ostream&) {
    PackSetup setup;
    if (Status s = prepare_pack(a, setup); !s.ok()) return s;
    if (Status s = pack_to_file(a.file, setup.options, a.value("-o")); !s.ok()) return s;
    out << "Sprite packed into " << a.value("-o") << '\n';
    return 0;
}

Outcome run_recompress(const Arguments& a, std::ostream& out, std::ostream&) {
    LoadedSprite sprite;
    if (Status s = check_outputs(a); !s.ok()) return s;
    if (Status s = load(a.file, sprite); !s.ok()) return s;
    if (Status s = recompress_images(sprite.document()); !s.ok()) return s;
    if (Status s = save(a.value("-o"), sprite); !s.ok()) return s;
    out << "Sprite recompressed into " << a.value("-o") << '\n';
    return 0;
}

const Syntax kFolderTakes = {
    .options = {optional(
                    input("--base", "ORIGINAL.spr",
                          "the sprite DIR was unpacked from: unchanged images keep its bytes")),
                kEncoding, kOutput},
    .operands = {.count = 1, .missing = "No folder given", .names = "DIR"}};

const Verb kVerbs[] = {
    {"pack",
     "Builds a sprite from an unpacked folder; with --base, unchanged images keep the "
     "original's bytes",
     run_pack, kFolderTakes},
    {"watch",
     "Packs DIR into OUT as pack does, then again after every change under DIR, a line per "
     "pack; a pack that fails leaves OUT as it was. Runs until interrupted",
     run_watch, kFolderTakes, 1, false},
    {"recompress",
     "Re-encodes every image with the compact encoding; the pixels stay the same",
     run_recompress,
     {.options = {kOutput}}},
};

}  // namespace

std::span<const Verb> pack_verbs() {
    return kVerbs;
}

}  // namespace dabro::cli
