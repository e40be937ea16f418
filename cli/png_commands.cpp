#include <set>
#include <string>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "commands/document_commands.h"
#include "document/file_layer.h"
#include "interchange/image_png.h"
#include "interchange/sheet.h"
#include "interchange/sprite_folder.h"

namespace dabro::cli {

namespace {

// Palette -p, 0 unless given.
Status select_palette(const Arguments& a, int& palette) {
    palette = 0;
    if (!a.has("-p")) return Status::success();
    if (Status s = int_option(a, "-p", palette); !s.ok()) return s;
    if (palette < 0 || palette >= kPalettesPerCollection)
        return Status::failure("There is no palette " + std::to_string(palette) +
                               ": a collection has palettes 0 to 3");
    return Status::success();
}

Status select_encoding(const Arguments& a, Encoding& encoding) {
    encoding = Encoding::Compact;
    if (!a.has("--encoding")) return Status::success();
    const std::string& name = a.value("--encoding");
    if (name == "compact") return Status::success();
    if (name == "one-pixel") {
        encoding = Encoding::OnePixel;
        return Status::success();
    }
    return Status::failure("Unknown encoding '" + name + "': use compact or one-pixel");
}

int run_export_png(const QStringList& args, QTextStream& out, QTextStream& err) {
    CollectionContext ctx;
    if (Status s = open_collection(args, {"-c", "-f", "-d", "-p", "-o"}, {},
                                   {"-c", "-f", "-d", "-o"}, ctx);
        !s.ok())
        return fail(err, s.message());
    ImageRef ref;
    int palette = 0;
    int slot = 0;
    if (Status s = select_slot(ctx.args, *ctx.collection, slot); !s.ok())
        return fail(err, s.message());
    ref = ctx.image(slot);
    if (Status s = select_palette(ctx.args, palette); !s.ok()) return fail(err, s.message());
    const ImageCollection& col = (*ctx.collection);
    std::vector<std::uint8_t> png;
    if (Status s = export_image_png(col.images[static_cast<std::size_t>(ref.slot)],
                                    col.palettes[static_cast<std::size_t>(palette)], png);
        !s.ok())
        return fail(err, s.message());
    if (Status s = write_file_atomically(ctx.args.value("-o"), png); !s.ok())
        return fail(err, s.message());
    out << "Image exported\n";
    return 0;
}

int run_import_png(const QStringList& args, QTextStream& out, QTextStream& err) {
    CollectionContext ctx;
    if (Status s = open_collection(args, {"-c", "-f", "-d", "--png", "-p", "--encoding", "-o"},
                                   {"--keep-indices"}, {"-c", "-f", "-d", "--png", "-o"}, ctx);
        !s.ok())
        return fail(err, s.message());
    ImageRef ref;
    int palette = 0;
    Encoding encoding = Encoding::Compact;
    int slot = 0;
    if (Status s = select_slot(ctx.args, *ctx.collection, slot); !s.ok())
        return fail(err, s.message());
    ref = ctx.image(slot);
    if (Status s = select_palette(ctx.args, palette); !s.ok()) return fail(err, s.message());
    if (Status s = select_encoding(ctx.args, encoding); !s.ok()) return fail(err, s.message());
    const std::string& path = ctx.args.value("--png");
    std::vector<std::uint8_t> bytes;
    if (Status s = read_input_file(path, kMaxPngBytes, bytes); !s.ok())
        return fail(err, s.message());
    PngImportOptions options;
    options.keepIndices = ctx.args.flags.count("--keep-indices") != 0;
    options.into = ctx.collection;
    options.slot = slot;
    PixelImage pixels;
    if (Status s = import_image_png(bytes, path,
                                    (*ctx.collection).palettes[static_cast<std::size_t>(palette)],
                                    options, pixels);
        !s.ok())
        return fail(err, s.message());
    replace_image_command("Import PNG", Refresh::ImageDetails, ref,
                          {encode_pixels(pixels, encoding), pixels.width, pixels.height})
        ->apply(ctx.sprite.document());
    if (Status s = save(ctx.args.value("-o"), ctx.sprite); !s.ok()) return fail(err, s.message());
    out << "Image imported\n";
    return 0;
}

int run_export_sheet(const QStringList& args, QTextStream& out, QTextStream& err) {
    CollectionContext ctx;
    if (Status s = open_collection(args, {"-c", "-o"}, {}, {"-c", "-o"}, ctx); !s.ok())
        return fail(err, s.message());
    if (Status s = check_outputs(ctx.args, {sheet_json_path(ctx.args.value("-o"))}); !s.ok())
        return fail(err, s.message());
    if (Status s = export_sheet((*ctx.collection), ctx.args.value("-o")); !s.ok())
        return fail(err, s.message());
    out << "Sheet exported\n";
    return 0;
}

int run_import_sheet(const QStringList& args, QTextStream& out, QTextStream& err) {
    CollectionContext ctx;
    if (Status s = open_collection(args, {"-c", "--sheet", "--encoding", "-o"}, {},
                                   {"-c", "--sheet", "-o"}, ctx);
        !s.ok())
        return fail(err, s.message());
    Encoding encoding = Encoding::Compact;
    if (Status s = select_encoding(ctx.args, encoding); !s.ok()) return fail(err, s.message());
    SheetContent content;
    if (Status s = read_sheet(ctx.args.value("--sheet"), encoding, &(*ctx.collection), content);
        !s.ok())
        return fail(err, s.message());
    if (Status s = check_sheet_fits(ctx.sprite.document(), ctx.c, content.layout); !s.ok())
        return fail(err, s.message());
    replace_collection_command("Import collection sheet", ctx.c,
                               collection_content(std::move(content)))
        ->apply(ctx.sprite.document());
    if (Status s = save(ctx.args.value("-o"), ctx.sprite); !s.ok()) return fail(err, s.message());
    out << "Sheet imported\n";
    return 0;
}

int run_unpack(const QStringList& args, QTextStream& out, QTextStream& err) {
    for (const QString& arg : args) {
        if (arg.startsWith('-') && arg.size() > 1)
            return fail(err, "Unknown option " + arg.toStdString());
    }
    if (args.size() != 2) return fail(err, "Give the sprite file and the folder to unpack into");
    LoadedSprite sprite;
    if (Status s = load(args[0].toStdString(), sprite); !s.ok()) return fail(err, s.message());
    if (Status s = unpack_sprite(sprite.document(), args[1].toStdString()); !s.ok())
        return fail(err, s.message());
    out << "Sprite unpacked\n";
    return 0;
}

int run_pack(const QStringList& args, QTextStream& out, QTextStream& err) {
    Arguments a;
    if (Status s = parse_arguments(args, {"--base", "--encoding", "-o"}, {}, a); !s.ok())
        return fail(err, s.message() == "No sprite file given" ? "No folder given" : s.message());
    if (Status s = require(a, {"-o"}); !s.ok()) return fail(err, s.message());
    if (Status s = check_outputs(a); !s.ok()) return fail(err, s.message());
    PackOptions options;
    if (Status s = select_encoding(a, options.encoding); !s.ok()) return fail(err, s.message());
    LoadedSprite base;
    if (a.has("--base")) {
        if (Status s = load(a.value("--base"), base); !s.ok()) return fail(err, s.message());
        options.base = &base.document();
    }
    LoadedSprite packed;
    std::unique_ptr<SpriteDocument> document;
    if (Status s = pack_folder(a.file, options, document); !s.ok()) return fail(err, s.message());
    packed.session->document = std::move(*document);
    if (Status s = save(a.value("-o"), packed); !s.ok()) return fail(err, s.message());
    out << "Sprite packed\n";
    return 0;
}

int run_recompress(const QStringList& args, QTextStream& out, QTextStream& err) {
    Arguments a;
    LoadedSprite sprite;
    if (Status s = parse_arguments(args, {"-o"}, {}, a); !s.ok()) return fail(err, s.message());
    if (Status s = require(a, {"-o"}); !s.ok()) return fail(err, s.message());
    if (Status s = check_outputs(a); !s.ok()) return fail(err, s.message());
    if (Status s = load(a.file, sprite); !s.ok()) return fail(err, s.message());
    SpriteDocument& doc = sprite.document();
    PixelImage pixels;
    for (int c = 0; c < doc.collectionCount; ++c) {
        const ImageCollection& col = doc.collections[static_cast<std::size_t>(c)];
        if (col.imageSectionType != kReadableSection) continue;
        for (int k = 0; k < col.slot_count(); ++k) {
            if (Status s = decode_pixels(col.images[static_cast<std::size_t>(k)], pixels); !s.ok())
                return fail(err, "Collection " + std::to_string(c) + ", image " +
                                     std::to_string(k) + ": " + s.message());
            replace_image_command(
                "Recompress", Refresh::Preview, {c, k},
                {encode_compact(pixels), col.images[static_cast<std::size_t>(k)].width,
                 col.images[static_cast<std::size_t>(k)].height})
                ->apply(doc);
        }
    }
    if (Status s = save(a.value("-o"), sprite); !s.ok()) return fail(err, s.message());
    out << "Sprite recompressed\n";
    return 0;
}

const Command kPngCommands[] = {
    {"export-png", "FILE -c C -f F -d D [-p P] -o OUT.png",
     "Writes image F x directions + D of collection C as RGBA PNG with palette P (default 0)",
     run_export_png},
    {"import-png",
     "FILE -c C -f F -d D --png IN.png [-p P] [--keep-indices] [--encoding compact|one-pixel] "
     "-o OUT",
     "Replaces an image and its size from a PNG, matching colours to palette P, or with "
     "--keep-indices taking an indexed or grey PNG's values as they stand",
     run_import_png},
    {"export-sheet", "FILE -c C -o OUT.png",
     "Writes every image of collection C as one PNG (a row per direction, a column per frame) "
     "and OUT.json beside it",
     run_export_sheet},
    {"import-sheet", "FILE -c C --sheet IN.png [--encoding compact|one-pixel] -o OUT",
     "Replaces the images, sizes, boxes, flags, source names and palettes of collection C from "
     "IN.png and IN.json",
     run_import_sheet},
    {"unpack", "FILE DIR",
     "Writes the sprite into the new or empty folder DIR as sprite.json and one sheet PNG per "
     "collection",
     run_unpack},
    {"pack", "DIR [--base ORIGINAL.spr] [--encoding compact|one-pixel] -o OUT",
     "Builds a sprite from an unpacked folder; with --base, unchanged images keep the "
     "original's bytes",
     run_pack},
    {"recompress", "FILE -o OUT",
     "Re-encodes every image with the compact encoding; the pixels stay the same", run_recompress},
};

}  // namespace

std::span<const Command> png_commands() {
    return kPngCommands;
}

}  // namespace dabro::cli
