// The verbs on a collection's images: render, import-raw, halve and align.
#include <string>

#include "actions/image_actions.h"
#include "cli/cli_support.h"
#include "cli/verb.h"
#include "document/document_edits.h"
#include "imaging/align.h"

namespace dabro::cli {

namespace {

Status render_step(EditContext& e) {
    return render_image(e.document(), e.image(e.slot), e.args.value("-o"));
}

Status import_raw(EditContext& e) {
    const std::string& raw = e.args.value("--raw");
    CommandPtr step;
    const Status imported = e.args.given("--by-name")
                                ? import_by_name_step(e.document(), e.image(e.slot), raw, step)
                                : import_raw_step(e.document(), e.image(e.slot), raw, step);
    if (imported.ok()) e.run(std::move(step));
    return imported;
}

Status halve(EditContext& e) {
    // A failure part way leaves only this command's own copy of the document half done;
    // nothing is written.
    for (int slot = e.slot; slot < e.end; ++slot) {
        CommandPtr step;
        if (Status s = halve_step(e.document(), e.image(slot), step); !s.ok()) return s;
        e.run(std::move(step));
    }
    return Status::success();
}

Status align(EditContext& e) {
    const std::string& size = e.args.value("--frame-size");
    if (size != "big" && size != "small")
        return Status::failure("Unknown frame size '" + size + "': use big or small");
    const FrameSize frame = size == "big" ? kBigItemFrame : kSmallItemFrame;
    for (int slot = e.slot; slot < e.end; ++slot)
        e.run(align_step(e.document(), e.image(slot), frame));
    return Status::success();
}

constexpr Option kAll = flag("--all", "every image of the collection instead of -f and -d");

constexpr Rule kOneOrAll = exactly_one({{"-f", "-d"}, "--all"});

const Verb kVerbs[] = {
    {.name = "render",
     .summary = "Draws image F x directions + D of collection C over the preview's grey, as PNG",
     .takes = {.options = {kCollection, kFrame, kDirection, kPngOutput}},
     .edit = {Picks::Image, render_step, false}},
    {.name = "import-raw",
     .summary = "Replaces an image's pixels from a raw file; --by-name also takes its size and "
                "palette from the name (prefix.act, or GIMP's RAW.pal when that does not exist)",
     .takes = {.options = {kCollection, kFrame, kDirection,
                           input("--raw", "RAW", "the raw file of palette indices to read",
                                 raw_palettes),
                           flag("--by-name", "take the size and palette from the raw file's name"),
                           kOutput}},
     .edit = {Picks::Image, import_raw, true, "Image imported into "}},
    {.name = "halve",
     .summary = "Halves the width and height of one or every image",
     .takes = {.options = {kCollection, optional(kFrame), optional(kDirection), kAll, kOutput},
               .rules = {kOneOrAll}},
     .edit = {Picks::Images, halve, true, "Image size halved into "}},
    {.name = "align",
     .summary = "Centres the box of one or every image in the big or small gui item frame",
     .takes = {.options = {kCollection, optional(kFrame), optional(kDirection), kAll,
                           required(text("--frame-size", "big|small",
                                         "the gui item frame to centre in")),
                           kOutput},
               .rules = {kOneOrAll}},
     .edit = {Picks::Images, align}},
};

const VerbRegistration registered(20, kVerbs);

}  // namespace

}  // namespace dabro::cli
