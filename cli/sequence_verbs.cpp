// The verb that draws a sequence's frames in a row: render-sequence, with its frame list.
#include <string>

#include "actions/sequence_render.h"
#include "cli/cli_support.h"
#include "cli/verb.h"
#include "imaging/sequence_cells.h"
#include "interchange/sheet.h"

namespace dabro::cli {

namespace {

Outcome run_render_sequence(const Arguments& a, std::ostream& out, std::ostream&) {
    if (Status s = check_outputs(a); !s.ok()) return s;
    int palette = 0;
    int scale = 1;
    if (Status s = palette_option(a, palette, PaletteRangeText::Use); !s.ok()) return s;
    if (a.has("--scale")) {
        if (Status s = int_option(a, "--scale", scale); !s.ok()) return s;
        if (Status s = check_scale(scale); !s.ok()) return s;
    }
    Placement placement = Placement::Box;
    if (a.has("--place"))
        if (Status s = placement_named(a.value("--place"), placement); !s.ok()) return s;
    LoadedSprite sprite;
    if (Status s = load(a.file, sprite); !s.ok()) return s;
    const SpriteDocument& doc = sprite.document();

    int sequence = 0;
    if (Status s = int_option(a, "-s", sequence); !s.ok()) return s;
    int direction = 0;
    if (a.has("-d"))
        if (Status s = int_option(a, "-d", direction); !s.ok()) return s;
    if (Status s =
            render_sequence(doc, {sequence, direction, palette, scale, placement}, a.value("-o"));
        !s.ok())
        return s;
    out << "Sequence rendered to " << a.value("-o") << '\n';
    return 0;
}

const Verb kVerbs[] = {
    {"render-sequence",
     "Draws every frame of sequence S in direction D (default 0) as RGBA with palette P "
     "(default 0), N times larger (1 to 16), in one row of cells: by box, each image where its "
     "box places it in cells spanning every frame; by corner, each at the top-left of cells the "
     "size of the largest frame. OUT.json lists each frame's index, collection frame, frame "
     "value and cell, and by box the origin: where the frame point (0, 0) lies in every cell",
     run_render_sequence,
     {.options = {required(number("-s", "S", "sequence S, from 0")),
                  number("-d", "D", "direction D, from 0 (default 0)"), kPalette,
                  number("--scale", "N", "draw N times larger, 1 to 16 (default 1)"), kPlacement,
                  kSheetOutput}}},
};

const VerbRegistration registered(60, kVerbs);

}  // namespace

}  // namespace dabro::cli
