// The verbs on a collection's palettes: palette-export and palette-import.
#include <optional>
#include <string>

#include "actions/palette_actions.h"
#include "cli/cli_support.h"
#include "cli/verb.h"
#include "interchange/palette_formats.h"

namespace dabro::cli {

namespace {

// The collection of -c and the palette of -p (0 when not given).
Status select_palette(const CollectionContext& ctx, int& collection, int& slot) {
    if (Status s = int_option(ctx.args, "-c", collection); !s.ok()) return s;
    return palette_option(ctx.args, slot);
}

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

Outcome run_palette_export(const Arguments& a, std::ostream& out, std::ostream&) {
    CollectionContext ctx;
    if (Status s = open_collection(a, ctx); !s.ok()) return s;
    int c = 0;
    int p = 0;
    PaletteFormat format = PaletteFormat::Act;
    if (Status s = select_palette(ctx, c, p); !s.ok()) return s;
    if (Status s = export_format(ctx.args, format); !s.ok()) return s;
    if (Status s = export_palette(ctx.sprite.document(), c, p, ctx.args.value("-o"), format);
        !s.ok())
        return s;
    out << "Palette exported to " << ctx.args.value("-o") << '\n';
    return 0;
}

Outcome run_palette_import(const Arguments& a, std::ostream& out, std::ostream&) {
    CollectionContext ctx;
    if (Status s = open_collection(a, ctx); !s.ok()) return s;
    int c = 0;
    int p = 0;
    if (Status s = select_palette(ctx, c, p); !s.ok()) return s;
    CommandPtr step;
    if (Status s = import_palette_step(ctx.sprite.document(), c, p, ctx.args.value("--palette"),
                                       PaletteReading::AnyFormat, step);
        !s.ok())
        return s;
    return ctx.save_step(std::move(step), out, "Palette imported into ");
}

// Initialised before the table below, which holds a view of it.
const std::string kFormats = writable_palette_format_names("|");

const Verb kVerbs[] = {
    {"palette-export",
     "Writes palette P (0 to 3, default 0) of a collection; the format follows --format or the "
     "extension .act, .gpl or .pal (JASC), else act",
     run_palette_export,
     {.options = {kCollection, kPalette,
                  text("--format", kFormats, "the palette file's format, else by OUT's extension"),
                  output("-o", "OUT", "the palette file to write")}}},
    {"palette-import",
     "Reads a palette file (.act, GIMP .gpl, JASC or RIFF .pal, raw RGB; recognised by content) "
     "into palette P (0 to 3, default 0) of a collection",
     run_palette_import,
     {.options = {kCollection, kPalette, input("--palette", "IN", "the palette file to read"),
                  kOutput}}},
};

}  // namespace

std::span<const Verb> palette_verbs() {
    return kVerbs;
}

}  // namespace dabro::cli
