// The steps verbs share: loading and saving a sprite, and selecting a collection, image or palette.
#include "cli/cli_support.h"

#include "document/sprite_loader.h"
#include "document/sprite_saver.h"

namespace dabro::cli {

Status load(const std::string& path, LoadedSprite& sprite) {
    LoadReport report;
    if (Status s = load_sprite(path, *sprite.session, &report); !s.ok()) return s;
    if (!report.isSprite) return Status::failure("This is not a .spr file");
    return Status::success();
}

Status save(const std::string& path, LoadedSprite& sprite) {
    return save_sprite(path, sprite.document(), header_of(sprite.document()));
}

Status open_collection(const Arguments& a, CollectionContext& ctx) {
    ctx.args = a;
    if (Status s = load(ctx.args.file, ctx.sprite); !s.ok()) return s;
    if (Status s = int_option(ctx.args, "-c", ctx.c); !s.ok()) return s;
    SpriteDocument& doc = ctx.sprite.document();
    if (!collection_in_use(doc, ctx.c)) {
        return Status::failure("There is no collection " + std::to_string(ctx.c) +
                               ": the sprite has " + std::to_string(doc.collectionCount) +
                               " collections");
    }
    ctx.collection = &doc.collections[static_cast<std::size_t>(ctx.c)];
    if (ctx.collection->imageSectionType != kReadableSection)
        return Status::failure("Sprite with compressed images. Images unaccesible");
    return Status::success();
}

Status select_slot(const Arguments& a, const ImageCollection& collection, int& slot) {
    int f = 0;
    int d = 0;
    if (Status s = int_option(a, "-f", f); !s.ok()) return s;
    if (Status s = int_option(a, "-d", d); !s.ok()) return s;
    slot = collection.slot_of(f, d);
    if (slot < 0) {
        return Status::failure("There is no image at frame " + std::to_string(f) + ", direction " +
                               std::to_string(d) + ": the collection has " +
                               std::to_string(collection.frames) + " frames and " +
                               std::to_string(collection.directions) + " directions");
    }
    return Status::success();
}

Status palette_option(const Arguments& a, int& palette, PaletteRangeText wording) {
    palette = 0;
    if (!a.has("-p")) return Status::success();
    if (Status s = int_option(a, "-p", palette); !s.ok()) return s;
    if (palette >= 0 && palette < kPalettesPerCollection) return Status::success();
    const std::string last = std::to_string(kPalettesPerCollection - 1);
    return Status::failure("There is no palette " + std::to_string(palette) +
                           (wording == PaletteRangeText::Collection
                                ? ": a collection has palettes 0 to " + last
                                : ": use 0 to " + last));
}

}  // namespace dabro::cli
