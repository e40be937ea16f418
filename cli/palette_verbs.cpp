// The verbs on a collection's palettes: palette-export and palette-import.
#include <optional>
#include <string>

#include "actions/palette_actions.h"
#include "cli/cli_support.h"
#include "cli/verb.h"
#include "interchange/palette_formats.h"

namespace dabro::cli {

namespace {

// --format, or the format the output's extension names, or the 768-byte palette file.
Status export_format(const Arguments& a, PaletteFormat& format) {
    if (a.has("--format")) {
        const std::optional<PaletteFormat> named = writable_palette_format(a.value("--format"));
        if (!named) {
            return Status::failure("Unknown palette format '" + a.value("--format") + "': use " +
                                   writable_palette_format_names());
        }
        format = *named;
        return Status::success();
    }
    format = palette_format_for_extension(a.value("-o")).value_or(PaletteFormat::Act);
    return Status::success();
}

Status palette_export(EditContext& e) {
    int p = 0;
    PaletteFormat format = PaletteFormat::Act;
    if (Status s = palette_option(e.args, p); !s.ok()) return s;
    if (Status s = export_format(e.args, format); !s.ok()) return s;
    return export_palette(e.document(), e.c, p, e.args.value("-o"), format);
}

Status palette_import(EditContext& e) {
    int p = 0;
    if (Status s = palette_option(e.args, p); !s.ok()) return s;
    CommandPtr step;
    if (Status s = import_palette_step(e.document(), e.c, p, e.args.value("--palette"),
                                       PaletteReading::AnyFormat, step);
        !s.ok())
        return s;
    e.run(std::move(step));
    return Status::success();
}

// Initialised before the table below, which holds a view of it.
const std::string kFormats = writable_palette_format_names("|");

const Verb kVerbs[] = {
    {.name = "palette-export",
     .summary = "Writes palette P (0 to 3, default 0) of a collection; the format follows "
                "--format or the extension .act, .gpl or .pal (JASC), else act",
     .takes = {.options = {kCollection, kPalette,
                           text("--format", kFormats,
                                "the palette file's format, else by OUT's extension"),
                           output("-o", "OUT", "the palette file to write")}},
     .edit = {Picks::Collection, palette_export, false, "Palette exported to "}},
    {.name = "palette-import",
     .summary = "Reads a palette file (.act, GIMP .gpl, JASC or RIFF .pal, raw RGB; recognised "
                "by content) into palette P (0 to 3, default 0) of a collection",
     .takes = {.options = {kCollection, kPalette,
                           input("--palette", "IN", "the palette file to read"), kOutput}},
     .edit = {Picks::Collection, palette_import, true, "Palette imported into "}},
};

const VerbRegistration registered(30, kVerbs);

}  // namespace

}  // namespace dabro::cli
