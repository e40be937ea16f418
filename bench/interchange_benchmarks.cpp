// Benchmarks of the interchange formats: sheets, PNG against Qt's, and the compact encoding.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/bench_files.h"
#include "bench/large_documents.h"
#include "document/sprite_saver.h"
#include "interchange/image_png.h"
#include "interchange/sheet.h"
#include "support/memory_files.h"

#ifdef DABRO_BENCH_QT
#include <QImage>
#include <QImageReader>
#include <QString>
#endif

namespace dabro::bench {

namespace {

// The largest collection of the max document: 480 frames x 8 directions of 96 x 96 images,
// made exactly as max_document_shape() makes its first collection.
const ImageCollection& largest_collection() {
    static const std::unique_ptr<SpriteDocument> doc = [] {
        LargeShape shape = max_document_shape();
        shape.sequences = 0;
        shape.collections.resize(1);
        return make_large_document(shape);
    }();
    return doc->collections[0];
}

// The sheet of the largest collection, written once by export_sheet.
const std::string& sheet_file() {
    static const std::string path = [] {
        const std::string p = bench_path("largest-sheet.png");
        if (Status s = export_sheet(largest_collection(), p); !s.ok())
            setup_failed("exporting the sheet: " + s.message());
        return p;
    }();
    return path;
}

void BM_ExportSheet(benchmark::State& state) {
    const ImageCollection& col = largest_collection();
    const std::string path = bench_path("export-sheet.png");
    for (auto _ : state) {
        if (Status s = export_sheet(col, path); !s.ok()) {
            state.SkipWithError(s.message().c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * col.slot_count());
}
BENCHMARK(BM_ExportSheet)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ImportSheet(benchmark::State& state) {
    const std::string& path = sheet_file();
    for (auto _ : state) {
        SheetContent content;
        if (Status s = read_sheet(path, Encoding::Compact, nullptr, content); !s.ok()) {
            state.SkipWithError(s.message().c_str());
            break;
        }
        benchmark::DoNotOptimize(content.images.data());
    }
    state.SetItemsProcessed(state.iterations() * largest_collection().slot_count());
}
BENCHMARK(BM_ImportSheet)->UseRealTime()->Unit(benchmark::kMillisecond);

#ifdef DABRO_BENCH_QT
// Qt's own PNG writer and reader at their defaults, on the same RGBA pixels and file.
void BM_QImageSavePng(benchmark::State& state) {
    RgbaImage sheet;
    {
        std::vector<std::uint8_t> bytes;
        if (Status s = read_input_file(sheet_file(), kMaxPngBytes, bytes); !s.ok())
            setup_failed(s.message());
        if (Status s = decode_png(bytes, sheet_file(), sheet); !s.ok()) setup_failed(s.message());
    }
    const QImage image(reinterpret_cast<const uchar*>(sheet.pixels.data()),
                       static_cast<int>(sheet.width), static_cast<int>(sheet.height),
                       static_cast<qsizetype>(sheet.width) * 4, QImage::Format_RGBA8888);
    const QString path = QString::fromStdString(bench_path("qimage-save.png"));
    for (auto _ : state) {
        if (!image.save(path, "PNG")) {
            state.SkipWithError("QImage::save failed");
            break;
        }
    }
}
BENCHMARK(BM_QImageSavePng)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_QImageLoadPng(benchmark::State& state) {
    const QString path = QString::fromStdString(sheet_file());
    // The sheet's 141 MB of pixels are above Qt's default allocation limit for one image.
    QImageReader::setAllocationLimit(0);
    for (auto _ : state) {
        QImage image(path, "PNG");
        if (image.isNull()) {
            state.SkipWithError("QImage load failed");
            break;
        }
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_QImageLoadPng)->UseRealTime()->Unit(benchmark::kMillisecond);
#endif

void BM_EncodeCompact(benchmark::State& state) {
    const ImageCollection& col = largest_collection();
    std::vector<PixelImage> images(64);
    std::int64_t pixels = 0;
    for (std::size_t k = 0; k < images.size(); ++k) {
        if (Status s = decode_pixels(col.images[k], images[k]); !s.ok()) setup_failed(s.message());
        pixels += static_cast<std::int64_t>(images[k].pixels.size());
    }
    for (auto _ : state) {
        for (const PixelImage& image : images) benchmark::DoNotOptimize(encode_compact(image));
    }
    state.SetItemsProcessed(state.iterations() * pixels);
}
BENCHMARK(BM_EncodeCompact)->Unit(benchmark::kMicrosecond);

// Not a timing: the max document's file size with every image re-encoded compactly, over its
// size in the one-pixel encoding, reported as the counter size_ratio.
void BM_CompactFileRatio(benchmark::State& state) {
    for (auto _ : state) {
        auto doc = make_large_document(max_document_shape());
        std::vector<std::uint8_t> bytes;
        if (Status s = encode_sprite(*doc, header_of(*doc), bytes); !s.ok())
            setup_failed(s.message());
        const auto onePixel = static_cast<double>(bytes.size());
        PixelImage pixels;
        for (int c = 0; c < doc->collectionCount; ++c) {
            ImageCollection& col = doc->collections[static_cast<std::size_t>(c)];
            for (int k = 0; k < col.slot_count(); ++k) {
                CollectionImage& image = col.images[static_cast<std::size_t>(k)];
                if (Status s = decode_pixels(image, pixels); !s.ok()) setup_failed(s.message());
                image.set_data(encode_compact(pixels));
            }
        }
        bytes.clear();
        bytes.shrink_to_fit();
        if (Status s = encode_sprite(*doc, header_of(*doc), bytes); !s.ok())
            setup_failed(s.message());
        state.counters["one_pixel_bytes"] = onePixel;
        state.counters["compact_bytes"] = static_cast<double>(bytes.size());
        state.counters["size_ratio"] = static_cast<double>(bytes.size()) / onePixel;
    }
}
BENCHMARK(BM_CompactFileRatio)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace dabro::bench
