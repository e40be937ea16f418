// The verbs on a collection's images: render, import-raw, halve and align.
#include <string>

#include "actions/image_actions.h"
#include "cli/cli_support.h"
#include "cli/verb.h"
#include "document/document_edits.h"
#include "imaging/align.h"

namespace dabro::cli {

namespace {

// The slots a command acts on: the one of -f and -d, or with --all every slot in use.
Status select_slots(const Arguments& a, const ImageCollection& collection, int& first, int& end) {
    if (a.given("--all")) {
        first = 0;
        end = collection.slot_count();
        return Status::success();
    }
    if (Status s = select_slot(a, collection, first); !s.ok()) return s;
    end = first + 1;
    return Status::success();
}

Outcome run_render(const Arguments& a, std::ostream&, std::ostream&) {
    CollectionContext ctx;
    if (Status s = open_collection(a, ctx); !s.ok()) return s;
    int slot = 0;
    if (Status s = select_slot(ctx.args, *ctx.collection, slot); !s.ok()) return s;
    if (Status s = render_image(ctx.sprite.document(), ctx.image(slot), ctx.args.value("-o"));
        !s.ok())
        return s;
    return 0;
}

Outcome run_import_raw(const Arguments& a, std::ostream& out, std::ostream&) {
    CollectionContext ctx;
    if (Status s = open_collection(a, ctx); !s.ok()) return s;
    int slot = 0;
    if (Status s = select_slot(ctx.args, *ctx.collection, slot); !s.ok()) return s;
    const std::string& raw = ctx.args.value("--raw");
    const SpriteDocument& doc = ctx.sprite.document();
    CommandPtr step;
    const Status imported = ctx.args.flags.count("--by-name")
                                ? import_by_name_step(doc, ctx.image(slot), raw, step)
                                : import_raw_step(doc, ctx.image(slot), raw, step);
    if (!imported.ok()) return imported;
    return ctx.save_step(std::move(step), out, "Image imported into ");
}

Outcome run_halve(const Arguments& a, std::ostream& out, std::ostream&) {
    CollectionContext ctx;
    if (Status s = open_collection(a, ctx); !s.ok()) return s;
    int first = 0;
    int end = 0;
    if (Status s = select_slots(ctx.args, *ctx.collection, first, end); !s.ok()) return s;
    // A failure part way leaves only this command's own copy of the document half done;
    // nothing is written.
    for (int slot = first; slot < end; ++slot) {
        CommandPtr step;
        if (Status s = halve_step(ctx.sprite.document(), ctx.image(slot), step); !s.ok()) return s;
        ctx.run(std::move(step));
    }
    return ctx.save_step(nullptr, out, "Image size halved into ");
}

Outcome run_align(const Arguments& a, std::ostream&, std::ostream&) {
    CollectionContext ctx;
    if (Status s = open_collection(a, ctx); !s.ok()) return s;
    const std::string& size = ctx.args.value("--frame-size");
    if (size != "big" && size != "small")
        return Status::failure("Unknown frame size '" + size + "': use big or small");
    const FrameSize frame = size == "big" ? kBigItemFrame : kSmallItemFrame;
    int first = 0;
    int end = 0;
    if (Status s = select_slots(ctx.args, *ctx.collection, first, end); !s.ok()) return s;
    for (int slot = first; slot < end; ++slot)
        ctx.run(align_step(ctx.sprite.document(), ctx.image(slot), frame));
    if (Status s = save(ctx.args.value("-o"), ctx.sprite); !s.ok()) return s;
    return 0;
}

constexpr Option kAll = flag("--all", "every image of the collection instead of -f and -d");

const Verb kVerbs[] = {
    {"render",
     "Draws image F x directions + D of collection C over the preview's grey, as PNG",
     run_render,
     {.options = {kCollection, kFrame, kDirection, kPngOutput}}},
    {"import-raw",
     "Replaces an image's pixels from a raw file; --by-name also takes its size and palette from "
     "the name (prefix.act, or GIMP's RAW.pal when that does not exist)",
     run_import_raw,
     {.options = {kCollection, kFrame, kDirection,
                  input("--raw", "RAW", "the raw file of palette indices to read", raw_palettes),
                  flag("--by-name", "take the size and palette from the raw file's name"),
                  kOutput}}},
    {"halve",
     "Halves the width and height of one or every image",
     run_halve,
     {.options = {kCollection, optional(kFrame), optional(kDirection), kAll, kOutput},
      .rules = {exactly_one({{"-f", "-d"}, "--all"})}}},
    {"align",
     "Centres the box of one or every image in the big or small gui item frame",
     run_align,
     {.options = {kCollection, optional(kFrame), optional(kDirection), kAll,
                  required(text("--frame-size", "big|small", "the gui item frame to centre in")),
                  kOutput},
      .rules = {exactly_one({{"-f", "-d"}, "--all"})}}},
};

}  // namespace

std::span<const Verb> image_verbs() {
    return kVerbs;
}

}  // namespace dabro::cli
