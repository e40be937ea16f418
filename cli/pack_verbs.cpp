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

Status recompress(EditContext& e) {
    return recompress_images(e.document());
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
    {.name = "recompress",
     .summary = "Re-encodes every image with the compact encoding; the pixels stay the same",
     .takes = {.options = {kOutput}},
     .edit = {Picks::Sprite, recompress, true, "Sprite recompressed into "}},
};

const VerbRegistration registered(80, kVerbs);

}  // namespace

}  // namespace dabro::cli
