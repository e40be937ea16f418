// The live link's re-import against a plain Import PNG, on the same 256 x 256 image.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/bench_files.h"
#include "bench/large_documents.h"
#include "commands/document_commands.h"
#include "commands/history.h"
#include "document/file_layer.h"
#include "interchange/image_png.h"
#include "interchange/sheet.h"

namespace dabro::bench {

namespace {

constexpr int kSide = 256;

// One collection of one 256 x 256 image, its PNG as Edit externally writes it, and the same
// PNG after a painting tool's stroke: a 64 x 64 square in another palette colour. The
// benchmarks read the two in turn, so every import changes the image.
struct EditedPicture {
    std::unique_ptr<SpriteDocument> doc;
    std::string files[2];
};

const EditedPicture& edited_picture() {
    static const EditedPicture picture = [] {
        EditedPicture p;
        LargeShape shape;
        shape.collections = {{1, 1}};
        shape.imageWidth = kSide;
        shape.imageHeight = kSide;
        p.doc = make_large_document(shape);
        const ImageCollection& col = p.doc->collections[0];
        std::vector<std::uint8_t> png;
        if (Status s = export_image_png(col.images[0], col.palettes[0], png); !s.ok())
            setup_failed("exporting the image: " + s.message());
        RgbaImage rgba;
        if (Status s = decode_png(png, "image", rgba); !s.ok()) setup_failed(s.message());
        const std::uint32_t paint = 0xFF000000u | col.palettes[0][7];
        for (std::uint32_t y = 96; y < 160; ++y)
            for (std::uint32_t x = 96; x < 160; ++x) rgba.pixels[y * rgba.width + x] = paint;
        std::vector<std::uint8_t> painted;
        if (Status s = encode_png(rgba, painted); !s.ok()) setup_failed(s.message());
        p.files[0] = bench_path("edit-before.png");
        p.files[1] = bench_path("edit-after.png");
        if (!write_file_atomically(p.files[0], png).ok() ||
            !write_file_atomically(p.files[1], painted).ok())
            setup_failed("writing the PNGs");
        return p;
    }();
    return picture;
}

// Reads and matches the PNG as Import PNG does: the image it replaces keeps its unchanged
// pixels.
Status read_png(const std::string& path, const ImageCollection& col, PixelImage& pixels) {
    std::vector<std::uint8_t> bytes;
    if (Status s = read_input_file(path, kMaxPngBytes, bytes); !s.ok()) return s;
    PngImportOptions options;
    options.into = &col;
    options.slot = 0;
    return import_image_png(bytes, path, col.palettes[0], options, pixels);
}

// The window's Import PNG without its file dialog and refresh.
void BM_ImportPng(benchmark::State& state) {
    const EditedPicture& picture = edited_picture();
    auto copy = std::make_unique<SpriteDocument>(*picture.doc);
    SpriteDocument& doc = *copy;
    std::size_t turn = 0;
    for (auto _ : state) {
        PixelImage pixels;
        if (Status s = read_png(picture.files[++turn % 2], doc.collections[0], pixels); !s.ok()) {
            state.SkipWithError(s.message().c_str());
            break;
        }
        replace_image_command("Import PNG", Refresh::ImageDetails, {0, 0},
                              {encode_compact(pixels), pixels.width, pixels.height})
            ->apply(doc);
    }
}
BENCHMARK(BM_ImportPng)->UseRealTime()->Unit(benchmark::kMicrosecond);

// From the PNG's change to the document updated, without the wait for the file to settle:
// the look at the file's stamp that tells a change, then read, match, and the step run
// through the undo history.
void BM_ExternalEditReimport(benchmark::State& state) {
    const EditedPicture& picture = edited_picture();
    auto copy = std::make_unique<SpriteDocument>(*picture.doc);
    SpriteDocument& doc = *copy;
    History history;
    std::size_t turn = 0;
    for (auto _ : state) {
        const std::string& path = picture.files[++turn % 2];
        struct stat st {};
        PixelImage pixels;
        if (::stat(path.c_str(), &st) != 0) {
            state.SkipWithError("stat failed");
            break;
        }
        if (Status s = read_png(path, doc.collections[0], pixels); !s.ok()) {
            state.SkipWithError(s.message().c_str());
            break;
        }
        history.run(replace_image_command("External edit", Refresh::ImageDetails, {0, 0},
                                          {encode_compact(pixels), pixels.width, pixels.height}),
                    doc);
    }
}
BENCHMARK(BM_ExternalEditReimport)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace dabro::bench
