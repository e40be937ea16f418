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

Status export_png(EditContext& e) {
    int palette = 0;
    if (Status s = palette_option(e.args, palette); !s.ok()) return s;
    return export_image(e.document(), e.image(e.slot), palette, e.args.value("-o"), false);
}

Status import_png(EditContext& e) {
    PngImportChoice choice;
    if (Status s = palette_option(e.args, choice.palette); !s.ok()) return s;
    if (Status s = encoding_option(e.args, choice.encoding); !s.ok()) return s;
    choice.keepIndices = e.args.given("--keep-indices");
    CommandPtr step;
    if (Status s =
            import_png_step(e.document(), e.image(e.slot), e.args.value("--png"), choice, step);
        !s.ok())
        return s;
    e.run(std::move(step));
    return Status::success();
}

Status export_sheet(EditContext& e) {
    return export_collection_sheet(e.document(), e.c, e.args.value("-o"));
}

Status import_sheet(EditContext& e) {
    Encoding encoding = Encoding::Compact;
    if (Status s = encoding_option(e.args, encoding); !s.ok()) return s;
    CommandPtr step;
    if (Status s = import_sheet_step(e.document(), e.c, e.args.value("--sheet"), encoding, step);
        !s.ok())
        return s;
    e.run(std::move(step));
    return Status::success();
}

Outcome run_unpack(const Arguments& a, std::ostream& out, std::ostream&) {
    LoadedSprite sprite;
    if (Status s = load(a.operands[0], sprite); !s.ok()) return s;
    if (Status s = unpack_sprite(sprite.document(), a.operands[1]); !s.ok()) return s;
    out << "Sprite unpacked into " << a.operands[1] << '\n';
    return 0;
}

const Verb kVerbs[] = {
    {.name = "export-png",
     .summary =
         "Writes image F x directions + D of collection C as RGBA PNG with palette P (default 0)",
     .takes = {.options = {kCollection, kFrame, kDirection, kPalette, kPngOutput}},
     .edit = {Picks::Image, export_png, false, "Image exported to "}},
    {.name = "import-png",
     .summary = "Replaces an image and its size from a PNG, matching colours to palette P, or "
                "with --keep-indices taking an indexed or grey PNG's values as they stand",
     .takes = {.options = {kCollection, kFrame, kDirection,
                           input("--png", "IN.png", "the PNG to read"), kPalette,
                           flag("--keep-indices",
                                "take an indexed or grey PNG's values as palette indices"),
                           kEncoding, kOutput}},
     .edit = {Picks::Image, import_png, true, "Image imported into "}},
    {.name = "export-sheet",
     .summary = "Writes every image of collection C as one PNG (a row per direction, a column "
                "per frame) and OUT.json beside it",
     .takes = {.options = {kCollection, kSheetOutput}},
     .edit = {Picks::Collection, export_sheet, false, "Sheet exported to "}},
    {.name = "import-sheet",
     .summary = "Replaces the images, sizes, boxes, flags, source names and palettes of "
                "collection C from IN.png and IN.json",
     .takes = {.options = {kCollection,
                           input("--sheet", "IN.png", "the sheet to read, with IN.json beside it",
                                 sheet_json_beside),
                           kEncoding, kOutput}},
     .edit = {Picks::Collection, import_sheet, true, "Sheet imported into "}},
    {"unpack",
     "Writes the sprite into the new or empty folder DIR as sprite.json and one sheet PNG per "
     "collection",
     run_unpack,
     {.operands = {.count = 2,
                   .missing = "Give the sprite file and the folder to unpack into",
                   .last = Role::OutputFolder,
                   .names = "FILE DIR"}}},
};

const VerbRegistration registered(70, kVerbs);

}  // namespace

}  // namespace dabro::cli
