// The verbs on a collection's images and palettes: render, import-raw, halve, align, palette-*.
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "actions/image_actions.h"
#include "actions/palette_actions.h"
#include "cli/cli_support.h"
#include "cli/verb.h"
#include "document/document_edits.h"
#include "document/file_layer.h"
#include "document/limits.h"
#include "imaging/align.h"
#include "imaging/render.h"
#include "interchange/palette_file.h"
#include "interchange/palette_formats.h"
#include "interchange/png_codec.h"

namespace dabro::cli {

namespace {

// The slots a command acts on: the one of -f and -d, or with --all every slot in use.
Status select_slots(const Arguments& a, const ImageCollection& collection, int& first, int& end) {
    const bool all = a.flags.count("--all") != 0;
    if (all == (a.has("-f") || a.has("-d")))
        return Status::failure("Give either -f and -d, or --all");
    if (all) {
        first = 0;
        end = collection.slot_count();
        return Status::success();
    }
    if (Status s = require(a, {"-f", "-d"}); !s.ok()) return s;
    if (Status s = select_slot(a, collection, first); !s.ok()) return s;
    end = first + 1;
    return Status::success();
}

CollectionImage& image_at(ImageCollection& collection, int slot) {
    return collection.images[static_cast<std::size_t>(slot)];
}

Status png_of(const CollectionImage& image, const Palette& palette,
              std::vector<std::uint8_t>& png) {
    const std::int64_t w = image.width;
    const std::int64_t h = image.height;
    if (w <= 0 || h <= 0) {
        return Status::failure("The image has no pixels to draw: its size is " + std::to_string(w) +
                               " x " + std::to_string(h));
    }
    if (w * h > kMaxPngPixels) {
        return Status::failure("The image is too large to draw: its size is " + std::to_string(w) +
                               " x " + std::to_string(h));
    }
    std::vector<std::uint32_t> picture;
    try {
        picture.resize(static_cast<std::size_t>(w * h));
    } catch (const std::bad_alloc&) {
        return Status::failure("Out of memory");
    }
    render_image_into(image, palette, picture.data(), static_cast<std::int32_t>(w),
                      static_cast<std::int32_t>(h), w);
    return encode_argb_png(picture.data(), static_cast<std::uint32_t>(w),
                           static_cast<std::uint32_t>(h), w, true, png);
}

Outcome run_render(const Arguments& a, std::ostream&, std::ostream&) {
    CollectionContext ctx;
    if (Status s = open_collection(a, ctx); !s.ok()) return s;
    int slot = 0;
    if (Status s = select_slot(ctx.args, *ctx.collection, slot); !s.ok()) return s;
    std::vector<std::uint8_t> png;
    if (Status s = png_of(image_at(*ctx.collection, slot), ctx.collection->palettes[0], png);
        !s.ok())
        return s;
    if (Status s = write_file_atomically(ctx.args.value("-o"), png); !s.ok()) return s;
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
    ctx.run(std::move(step));
    if (Status s = save(ctx.args.value("-o"), ctx.sprite); !s.ok()) return s;
    out << "Image imported\n";
    return 0;
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
    if (Status s = save(ctx.args.value("-o"), ctx.sprite); !s.ok()) return s;
    out << "Image size halved\n";
    return 0;
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
    out << "Palette exported\n";
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
    ctx.run(std::move(step));
    if (Status s = save(ctx.args.value("-o"), ctx.sprite); !s.ok()) return s;
    out << "Palette imported\n";
    return 0;
}

const Verb kVerbs[] = {
    {"render",
     "FILE -c C -f F -d D -o OUT.png",
     "Draws image F x directions + D of collection C over the preview's grey, as PNG",
     run_render,
     {.values = {"-c", "-f", "-d", "-o"}, .required = {"-c", "-f", "-d", "-o"}}},
    {"import-raw",
     "FILE -c C -f F -d D --raw RAW [--by-name] -o OUT",
     "Replaces an image's pixels from a raw file; --by-name also takes its size and palette from "
     "the name (prefix.act, or GIMP's RAW.pal when that does not exist)",
     run_import_raw,
     {.values = {"-c", "-f", "-d", "--raw", "-o"},
      .flags = {"--by-name"},
      .required = {"-c", "-f", "-d", "--raw", "-o"}}},
    {"halve",
     "FILE -c C (-f F -d D | --all) -o OUT",
     "Halves the width and height of one or every image",
     run_halve,
     {.values = {"-c", "-f", "-d", "-o"}, .flags = {"--all"}, .required = {"-c", "-o"}}},
    {"align",
     "FILE -c C (-f F -d D | --all) --frame-size big|small -o OUT",
     "Centres the box of one or every image in the big or small gui item frame",
     run_align,
     {.values = {"-c", "-f", "-d", "--frame-size", "-o"},
      .flags = {"--all"},
      .required = {"-c", "--frame-size", "-o"}}},
    {"palette-export",
     "FILE -c C [-p P] [--format act|act772|gpl|jasc] -o OUT",
     "Writes palette P (0 to 3, default 0) of a collection; the format follows --format or the "
     "extension .act, .gpl or .pal (JASC), else act",
     run_palette_export,
     {.values = {"-c", "-p", "--format", "-o"}, .required = {"-c", "-o"}}},
    {"palette-import",
     "FILE -c C [-p P] --palette IN -o OUT",
     "Reads a palette file (.act, GIMP .gpl, JASC or RIFF .pal, raw RGB; recognised by content) "
     "into palette P (0 to 3, default 0) of a collection",
     run_palette_import,
     {.values = {"-c", "-p", "--palette", "-o"}, .required = {"-c", "--palette", "-o"}}},
};

}  // namespace

std::span<const Verb> imaging_verbs() {
    return kVerbs;
}

}  // namespace dabro::cli
