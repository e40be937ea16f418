// The verbs between sprites and PNG: images, collection sheets, and unpacking into a folder.
#include <string>
#include <vector>

#include "actions/collection_sheet.h"
#include "actions/image_actions.h"
#include "cli/cli_support.h"
#include "cli/pack_steps.h"
#include "cli/verb.h"
#include "commands/document_commands.h"
#include "interchange/sheet.h"
#include "interchange/sprite_folder.h"

namespace dabro::cli {

namespace {

Outcome run_export_png(const Arguments& a, std::ostream& out, std::ostream&) {
    CollectionContext ctx;
    if (Status s = open_collection(a, ctx); !s.ok()) return s;
    int palette = 0;
    int slot = 0;
    if (Status s = select_slot(ctx.args, *ctx.collection, slot); !s.ok()) return s;
    if (Status s = palette_option(ctx.args, palette); !s.ok()) return s;
    if (Status s = export_image(ctx.sprite.document(), ctx.image(slot), palette,
                                ctx.args.value("-o"), false);
        !s.ok())
        return s;
    out << "Image exported to " << ctx.args.value("-o") << '\n';
    return 0;
}

Outcome run_import_png(const Arguments& a, std::ostream& out, std::ostream&) {
    CollectionContext ctx;
    if (Status s = open_collection(a, ctx); !s.ok()) return s;
    PngImportChoice choice;
    int slot = 0;
    if (Status s = select_slot(ctx.args, *ctx.collection, slot); !s.ok()) return s;
    if (Status s = palette_option(ctx.args, choice.palette); !s.ok()) return s;
    if (Status s = encoding_option(ctx.args, choice.encoding); !s.ok()) return s;
    choice.keepIndices = ctx.args.flags.count("--keep-indices") != 0;
    CommandPtr step;
    if (Status s = import_png_step(ctx.sprite.document(), ctx.image(slot), ctx.args.value("--png"),
                                   choice, step);
        !s.ok())
        return s;
    return ctx.save_step(std::move(step), out, "Image imported into ");
}

Outcome run_export_sheet(const Arguments& a, std::ostream& out, std::ostream&) {
    CollectionContext ctx;
    if (Status s = open_collection(a, ctx); !s.ok()) return s;
    if (Status s = check_outputs(ctx.args); !s.ok()) return s;
    if (Status s = export_collection_sheet(ctx.sprite.document(), ctx.c, ctx.args.value("-o"));
        !s.ok())
        return s;
    out << "Sheet exported to " << ctx.args.value("-o") << '\n';
    return 0;
}

Outcome run_import_sheet(const Arguments& a, std::ostream& out, std::ostream&) {
    CollectionContext ctx;
    if (Status s = open_collection(a, ctx); !s.ok()) return s;
    Encoding encoding = Encoding::Compact;
    if (Status s = encoding_option(ctx.args, encoding); !s.ok()) return s;
    CommandPtr step;
    if (Status s = import_sheet_step(ctx.sprite.document(), ctx.c, ctx.args.value("--sheet"),
                                     encoding, step);
        !s.ok())
        return s;
    return ctx.save_step(std::move(step), out, "Sheet imported into ");
}

Outcome run_unpack(const Arguments& a, std::ostream& out, std::ostream&) {
    LoadedSprite sprite;
    if (Status s = load(a.operands[0], sprite); !s.ok()) return s;
    if (Status s = unpack_sprite(sprite.document(), a.operands[1]); !s.ok()) return s;
    out << "Sprite unpacked into " << a.operands[1] << '\n';
    return 0;
}

const Verb kVerbs[] = {
    {"export-png",
     "Writes image F x directions + D of collection C as RGBA PNG with palette P (default 0)",
     run_export_png,
     {.options = {kCollection, kFrame, kDirection, kPalette, kPngOutput}}},
    {"import-png",
     "Replaces an image and its size from a PNG, matching colours to palette P, or with "
     "--keep-indices taking an indexed or grey PNG's values as they stand",
     run_import_png,
     {.options = {kCollection, kFrame, kDirection, input("--png", "IN.png", "the PNG to read"),
                  kPalette,
                  flag("--keep-indices", "take an indexed or grey PNG's values as palette indices"),
                  kEncoding, kOutput}}},
    {"export-sheet",
     "Writes every image of collection C as one PNG (a row per direction, a column per frame) "
     "and OUT.json beside it",
     run_export_sheet,
     {.options = {kCollection, kSheetOutput}}},
    {"import-sheet",
     "Replaces the images, sizes, boxes, flags, source names and palettes of collection C from "
     "IN.png and IN.json",
     run_import_sheet,
     {.options = {kCollection,
                  input("--sheet", "IN.png", "the sheet to read, with IN.json beside it",
                        sheet_json_beside),
                  kEncoding, kOutput}}},
    {"unpack",
     "Writes the sprite into the new or empty folder DIR as sprite.json and one sheet PNG per "
     "collection",
     run_unpack,
     {.operands = {.count = 2,
                   .missing = "Give the sprite file and the folder to unpack into",
                   .last = Role::OutputFolder,
                   .names = "FILE DIR"}}},
};

}  // namespace

std::span<const Verb> png_verbs() {
    return kVerbs;
}

}  // namespace dabro::cli
