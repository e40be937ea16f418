#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "commands/image_commands.h"
#include "document/document_edits.h"
#include "document/file_layer.h"
#include "document/limits.h"
#include "imaging/align.h"
#include "imaging/palette_file.h"
#include "imaging/render.h"
#include "interchange/palette_formats.h"

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

Status png_of(const CollectionImage& image, const Palette& palette, QByteArray& png) {
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
    QImage picture(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
    if (picture.isNull()) return Status::failure("Out of memory");
    render_image_into(image, palette, reinterpret_cast<std::uint32_t*>(picture.bits()),
                      picture.width(), picture.height(), picture.bytesPerLine() / 4);
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG"))
        return Status::failure("The picture could not be encoded as PNG");
    return Status::success();
}

int run_render(const QStringList& args, QTextStream&, QTextStream& err) {
    CollectionContext ctx;
    if (Status s =
            open_collection(args, {"-c", "-f", "-d", "-o"}, {}, {"-c", "-f", "-d", "-o"}, ctx);
        !s.ok())
        return fail(err, s.message());
    int slot = 0;
    if (Status s = select_slot(ctx.args, *ctx.collection, slot); !s.ok())
        return fail(err, s.message());
    QByteArray png;
    if (Status s = png_of(image_at(*ctx.collection, slot), ctx.collection->palettes[0], png);
        !s.ok())
        return fail(err, s.message());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(png.constData());
    if (Status s = write_file_atomically(ctx.args.value("-o"),
                                         {bytes, static_cast<std::size_t>(png.size())});
        !s.ok())
        return fail(err, s.message());
    return 0;
}

int run_import_raw(const QStringList& args, QTextStream& out, QTextStream& err) {
    CollectionContext ctx;
    if (Status s = open_collection(args, {"-c", "-f", "-d", "--raw", "-o"}, {"--by-name"},
                                   {"-c", "-f", "-d", "--raw", "-o"}, ctx);
        !s.ok())
        return fail(err, s.message());
    int slot = 0;
    if (Status s = select_slot(ctx.args, *ctx.collection, slot); !s.ok())
        return fail(err, s.message());
    const std::string& raw = ctx.args.value("--raw");
    const SpriteDocument& doc = ctx.sprite.document();
    CommandPtr step;
    const Status imported =
        ctx.args.flags.count("--by-name")
            ? import_by_name_step(doc, ctx.image(slot), raw, kByNameReaders, step)
            : import_raw_step(doc, ctx.image(slot), raw, step);
    if (!imported.ok()) return fail(err, imported.message());
    ctx.run(std::move(step));
    if (Status s = save(ctx.args.value("-o"), ctx.sprite); !s.ok()) return fail(err, s.message());
    out << "Image imported\n";
    return 0;
}

int run_halve(const QStringList& args, QTextStream& out, QTextStream& err) {
    CollectionContext ctx;
    if (Status s = open_collection(args, {"-c", "-f", "-d", "-o"}, {"--all"}, {"-c", "-o"}, ctx);
        !s.ok())
        return fail(err, s.message());
    int first = 0;
    int end = 0;
    if (Status s = select_slots(ctx.args, *ctx.collection, first, end); !s.ok())
        return fail(err, s.message());
    // A failure part way leaves only this command's own copy of the document half done;
    // nothing is written.
    for (int slot = first; slot < end; ++slot) {
        CommandPtr step;
        if (Status s = halve_step(ctx.sprite.document(), ctx.image(slot), step); !s.ok())
            return fail(err, s.message());
        ctx.run(std::move(step));
    }
    if (Status s = save(ctx.args.value("-o"), ctx.sprite); !s.ok()) return fail(err, s.message());
    out << "Image size halved\n";
    return 0;
}

int run_align(const QStringList& args, QTextStream&, QTextStream& err) {
    CollectionContext ctx;
    if (Status s = open_collection(args, {"-c", "-f", "-d", "--frame-size", "-o"}, {"--all"},
                                   {"-c", "--frame-size", "-o"}, ctx);
        !s.ok())
        return fail(err, s.message());
    const std::string& size = ctx.args.value("--frame-size");
    if (size != "big" && size != "small")
        return fail(err, "Unknown frame size '" + size + "': use big or small");
    const FrameSize frame = size == "big" ? kBigItemFrame : kSmallItemFrame;
    int first = 0;
    int end = 0;
    if (Status s = select_slots(ctx.args, *ctx.collection, first, end); !s.ok())
        return fail(err, s.message());
    for (int slot = first; slot < end; ++slot)
        ctx.run(align_step(ctx.sprite.document(), ctx.image(slot), frame));
    if (Status s = save(ctx.args.value("-o"), ctx.sprite); !s.ok()) return fail(err, s.message());
    return 0;
}

// The collection of -c and the palette of -p (0 when not given).
Status select_palette(const CollectionContext& ctx, int& collection, int& slot) {
    if (Status s = int_option(ctx.args, "-c", collection); !s.ok()) return s;
    slot = 0;
    if (!ctx.args.has("-p")) return Status::success();
    if (Status s = int_option(ctx.args, "-p", slot); !s.ok()) return s;
    if (slot < 0 || slot >= kPalettesPerCollection) {
        return Status::failure("There is no palette " + std::to_string(slot) +
                               ": a collection has palettes 0 to 3");
    }
    return Status::success();
}

// --format, or the format the output's extension names, or the 768-byte palette file.
Status export_format(const Arguments& a, PaletteFormat& format) {
    if (a.has("--format")) {
        const std::optional<PaletteFormat> named = writable_palette_format(a.value("--format"));
        if (!named) {
            return Status::failure("Unknown palette format '" + a.value("--format") +
                                   "': use act, act772, gpl or jasc");
        }
        format = *named;
        return Status::success();
    }
    format = palette_format_for_extension(a.value("-o")).value_or(PaletteFormat::Act);
    return Status::success();
}

int run_palette_export(const QStringList& args, QTextStream& out, QTextStream& err) {
    CollectionContext ctx;
    if (Status s = open_collection(args, {"-c", "-p", "--format", "-o"}, {}, {"-c", "-o"}, ctx);
        !s.ok())
        return fail(err, s.message());
    int c = 0;
    int p = 0;
    PaletteFormat format = PaletteFormat::Act;
    if (Status s = select_palette(ctx, c, p); !s.ok()) return fail(err, s.message());
    if (Status s = export_format(ctx.args, format); !s.ok()) return fail(err, s.message());
    if (Status s = write_palette_as(ctx.args.value("-o"),
                                    ctx.collection->palettes[static_cast<std::size_t>(p)], format,
                                    ctx.collection->name.view());
        !s.ok())
        return fail(err, s.message());
    out << "Palette exported\n";
    return 0;
}

int run_palette_import(const QStringList& args, QTextStream& out, QTextStream& err) {
    CollectionContext ctx;
    if (Status s = open_collection(args, {"-c", "-p", "--palette", "-o"}, {},
                                   {"-c", "--palette", "-o"}, ctx);
        !s.ok())
        return fail(err, s.message());
    int c = 0;
    int p = 0;
    if (Status s = select_palette(ctx, c, p); !s.ok()) return fail(err, s.message());
    Palette palette = ctx.collection->palettes[static_cast<std::size_t>(p)];
    if (Status s = read_any_palette(ctx.args.value("--palette"), palette); !s.ok())
        return fail(err, s.message());
    ctx.run(set_palette_command("Import palette", c, palette, p));
    if (Status s = save(ctx.args.value("-o"), ctx.sprite); !s.ok()) return fail(err, s.message());
    out << "Palette imported\n";
    return 0;
}

const Command kImagingCommands[] = {
    {"render", "FILE -c C -f F -d D -o OUT.png",
     "Draws image F x directions + D of collection C over the preview's grey, as PNG", run_render},
    {"import-raw", "FILE -c C -f F -d D --raw RAW [--by-name] -o OUT",
     "Replaces an image's pixels from a raw file; --by-name also takes its size and palette from "
     "the name (prefix.act, or GIMP's RAW.pal when that does not exist)",
     run_import_raw},
    {"halve", "FILE -c C (-f F -d D | --all) -o OUT",
     "Halves the width and height of one or every image", run_halve},
    {"align", "FILE -c C (-f F -d D | --all) --frame-size big|small -o OUT",
     "Centres the box of one or every image in the big or small gui item frame", run_align},
    {"palette-export", "FILE -c C [-p P] [--format act|act772|gpl|jasc] -o OUT",
     "Writes palette P (0 to 3, default 0) of a collection; the format follows --format or the "
     "extension .act, .gpl or .pal (JASC), else act",
     run_palette_export},
    {"palette-import", "FILE -c C [-p P] --palette IN -o OUT",
     "Reads a palette file (.act, GIMP .gpl, JASC or RIFF .pal, raw RGB; recognised by content) "
     "into palette P (0 to 3, default 0) of a collection",
     run_palette_import},
};

}  // namespace

std::span<const Command> imaging_commands() {
    return kImagingCommands;
}

}  // namespace dabro::cli
