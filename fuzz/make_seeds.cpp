// Writes the seed corpus of every fuzz target, made by the program's own encoder and builders.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "document/file_layer.h"
#include "document/sprite_saver.h"
#include "interchange/image_png.h"
#include "interchange/sheet.h"
#include "interchange/sprite_folder.h"
#include "support/memory_files.h"
#include "support/sprite_builder.h"

namespace {

namespace fs = std::filesystem;
using dabro::test::Bytes;
using dabro::test::CollectionShape;
using dabro::test::DocumentShape;
using Seed = std::vector<std::uint8_t>;

Seed encoded(const DocumentShape& shape) {
    const auto doc = dabro::test::make_document(shape);
    Seed bytes;
    if (!dabro::encode_sprite(*doc, dabro::header_of(*doc), bytes).ok()) std::abort();
    return bytes;
}

// Small readable sections: palettes stored with few entries keep a seed far below the 4 KB
// that four full palettes take, so mutations reach the images sooner.
Bytes& small_section(Bytes& b, int images, std::uint32_t seed) {
    b.section_start('1');
    for (int p = 0; p < 4; ++p) {
        b.i32(p == 0 ? 2 : 0);
        if (p == 0) b.u32(0x00FF8000).u32(0x00123456);
    }
    for (int k = 0; k < images; ++k)
        b.image_entry(static_cast<std::uint8_t>(k), 3, 2, 0,
                      dabro::test::mixed_rle(3, 2, seed + static_cast<std::uint32_t>(k)));
    return b;
}

std::vector<Seed> sprite_seeds() {
    std::vector<Seed> seeds;
    seeds.push_back(encoded({.sequences = 0, .collections = {}}));
    seeds.push_back(
        encoded({.sequences = 1, .framesPerSequence = 0, .nameLength = 0, .collections = {}}));
    seeds.push_back(
        encoded({.sequences = 3, .framesPerSequence = 5, .nameLength = 40, .collections = {}}));
    seeds.push_back(
        encoded({.sequences = 1, .collections = {{1, 1}}, .imageWidth = 2, .imageHeight = 2}));
    seeds.push_back(encoded({.sequences = 2, .collections = {{2, 4}}, .seed = 7}));
    seeds.push_back(encoded({.sequences = 0, .collections = {{0, 3}, {3, 0}}, .seed = 3}));
    seeds.push_back(encoded({.sequences = 1, .collections = {{2, 2, ' '}, {1, 2}}, .seed = 4}));
    seeds.push_back(encoded({.sequences = 0, .collections = {{4, 1, ' '}}, .seed = 5}));

    // Hand-built files: short palettes, several collections, and an unreadable section that
    // is stepped over through the next collection's stored offset.
    for (int collections = 1; collections <= 3; ++collections) {
        Bytes b;
        b.signature().header(1).i32(2).u16(1).u16(2).i32(10).i32(-20).name("walk").u16(0);
        b.i32(collections);
        std::vector<std::size_t> offsetAt;
        for (int c = 0; c < collections; ++c) {
            b.collection_tag();
            offsetAt.push_back(b.size());
            b.i32(0).name("c" + std::to_string(c)).i32(2).i32(1);
            for (int k = 0; k < 2; ++k) b.i32(-k).i32(k).i32(5 + k).i32(4);
        }
        for (int c = 0; c < collections; ++c) {
            b.patch_i32(offsetAt[static_cast<std::size_t>(c)], static_cast<std::int32_t>(b.size()));
            if (c == 1) {
                b.section_start('Z').raw(std::string_view("elsewhere's data"));
            } else {
                small_section(b, 2, static_cast<std::uint32_t>(c));
            }
        }
        seeds.push_back(b.get());
    }
    return seeds;
}

Seed image_input(std::uint8_t mode, std::int32_t width, std::int32_t height, const Seed& data) {
    Bytes b;
    b.u8(mode).i32(width).i32(height).raw(data);
    return b.get();
}

std::vector<Seed> image_seeds() {
    std::vector<Seed> seeds;
    const int sizes[][2] = {{0, 0}, {1, 1}, {2, 2}, {5, 3}, {6, 5}, {16, 8}, {64, 4}, {3, 40}};
    std::uint32_t seed = 1;
    for (const auto& size : sizes)
        seeds.push_back(
            image_input(0, size[0], size[1], dabro::test::mixed_rle(size[0], size[1], seed++)));
    seeds.push_back(image_input(0, 2, 2, {0x0C, 0x04}));
    seeds.push_back(image_input(0, 4, 2, {0x0A, 1, 2, 3, 4, 0x0A, 5, 6, 7, 8, 0x10}));
    seeds.push_back(image_input(0, 3, 1, {0x00, 0x01, 0x02, 0x03, 0x0D, 1, 2, 3}));
    seeds.push_back(image_input(0, 2, 1, {0x0A, 5, 0x40, 6, 0xFF}));
    seeds.push_back(image_input(0, 64, 64, Seed(2, 0xFC)));
    seeds.push_back(image_input(1 | 3 << 2, 6, 5, dabro::test::mixed_rle(6, 5, 99)));
    seeds.push_back(image_input(2, 6, 5, dabro::test::mixed_rle(6, 5, 98)));
    seeds.push_back(image_input(3, 6, 5, dabro::test::mixed_rle(6, 5, 97)));
    seeds.push_back(image_input(0, -3, 2, {0x06, 1, 2, 0x04, 0x07, 3}));
    seeds.push_back(image_input(0, 0x7FFFFFFF, 0x7FFFFFFF, {0xFC, 0xFD, 1}));
    return seeds;
}

// The player's frames: a scene (zoom, origin, options) before each image seed.
std::vector<Seed> player_frame_seeds() {
    std::vector<Seed> seeds;
    const Seed scenes[] = {{0, 0, 0, 0}, {7, 3, 250, 0xF5}, {2, 200, 9, 0x8E}, {15, 0, 0, 0x3D}};
    std::size_t i = 0;
    for (const Seed& image : image_seeds()) {
        Seed seed = scenes[i++ % std::size(scenes)];
        seed.insert(seed.end(), image.begin(), image.end());
        seeds.push_back(std::move(seed));
    }
    return seeds;
}

std::vector<Seed> raw_seeds() {
    std::vector<Seed> seeds{{}, {7}, {0x07, 0xFF, 0x03, 0x00}};
    for (std::size_t n : {64u, 301u}) {
        Seed raw(n);
        for (std::size_t i = 0; i < n; ++i)
            raw[i] = static_cast<std::uint8_t>(i % 5 == 1 ? 0 : i * 37);
        seeds.push_back(raw);
    }
    return seeds;
}

std::vector<Seed> palette_seeds() {
    std::vector<Seed> seeds;
    for (std::size_t n : {0u, 3u, 767u, 768u, 800u}) {
        Seed file(n);
        for (std::size_t i = 0; i < n; ++i) file[i] = static_cast<std::uint8_t>(i * 13 + 0x12);
        seeds.push_back(file);
    }
    return seeds;
}

Seed text(std::string_view s) {
    return Seed(s.begin(), s.end());
}

std::vector<Seed> text_seeds() {
    std::vector<Seed> seeds;
    for (const char* s : {"42",
                          " 42",
                          "42 ",
                          "",
                          "   ",
                          "4 2",
                          "2147483647",
                          "2147483648",
                          "-2147483648",
                          "-2147483649",
                          "+13",
                          "$1F",
                          "$1f",
                          "$FFFFFFFF",
                          "$100000000",
                          "$",
                          "-$1",
                          "000000000000042",
                          "$000000000001",
                          "1e3",
                          "0x10"})
        seeds.push_back(text(s));
    return seeds;
}

std::vector<Seed> import_name_seeds() {
    std::vector<Seed> seeds;
    for (const char* s :
         {"items/sword_64x32.raw\n\x07\xff\x03", "axe_10x20.raw", "64x32.raw", "big_axe_64x32.raw",
          "sword_64X32.raw", "sword_64x.raw", "/abs/p.q/r_$10x-3.raw\n\x01\x01", "dir/ 5x 7.raw",
          "noext_3x4", ".hidden_1x1.raw", "a_x1.raw"})
        seeds.push_back(text(s));
    return seeds;
}

std::vector<Seed> gpl_seeds() {
    std::vector<Seed> seeds;
    for (const char* s : {"GIMP Palette\nName: skin\nColumns: 4\n#\n255 0 0\tRed\n  0 128 255\n",
                          "GIMP Palette\r\nChannels: RGBA\r\n1 2 3 128 Half\r\n",
                          "\xEF\xBB\xBFGIMP Palette\n# only a comment\n\n7 8 9 two words\n",
                          "GIMP Palette\n1 300 3\n", "GIMP Palette\nColumns: x\n"})
        seeds.push_back(text(s));
    std::string many = "GIMP Palette\n";
    for (int i = 0; i < 257; ++i) many += std::to_string(i % 256) + " 0 0\n";
    seeds.push_back(text(many));
    return seeds;
}

std::vector<Seed> jasc_seeds() {
    std::vector<Seed> seeds;
    for (const char* s : {"JASC-PAL\r\n0100\r\n3\r\n255 255 255\r\n0 0 0\r\n16 32 48\r\n",
                          "JASC-PAL\n0100\n2\n1 2 3 255\n4 5 6 0\n\n", "JASC-PAL\n0100\n300\n",
                          "JASC-PAL\n0200\n1\n1 2 3\n", "JASC-PAL\n0100\n2\n1 2 3\n"})
        seeds.push_back(text(s));
    return seeds;
}

// RIFF palettes: an unrelated chunk of odd length before the data chunk, or none.
std::vector<Seed> riff_seeds() {
    std::vector<Seed> seeds;
    for (int count : {1, 3, 256}) {
        for (bool extra : {false, true}) {
            Bytes b;
            b.raw(std::string_view("RIFF")).u32(0).raw(std::string_view("PAL "));
            if (extra) b.raw(std::string_view("offl")).u32(3).raw(std::string_view("xyz")).u8(0);
            b.raw(std::string_view("data")).u32(static_cast<std::uint32_t>(4 + 4 * count));
            b.u16(0x0300).u16(static_cast<std::uint16_t>(count));
            for (int i = 0; i < count; ++i) b.u8(static_cast<std::uint8_t>(i)).u8(7).u8(9).u8(0);
            b.patch_i32(4, static_cast<std::int32_t>(b.size() - 8));
            seeds.push_back(b.get());
        }
    }
    return seeds;
}

std::vector<Seed> png_seeds() {
    std::vector<Seed> seeds;
    const int sizes[][2] = {{1, 1}, {3, 2}, {8, 8}, {17, 5}};
    std::uint32_t salt = 1;
    for (const auto& size : sizes) {
        dabro::RgbaImage image{
            static_cast<std::uint32_t>(size[0]), static_cast<std::uint32_t>(size[1]), {}};
        for (int i = 0; i < size[0] * size[1]; ++i)
            image.pixels.push_back(i % 3 == 0 ? 0 : (salt++ * 0x9E3779B1u) | 0x80000000u);
        Seed png;
        if (!dabro::encode_png(image, png).ok()) std::abort();
        seeds.push_back(png);
    }
    return seeds;
}

// Frames of several sizes, counts and delays, with clear, half-clear and opaque pixels.
std::vector<Seed> apng_seeds() {
    std::vector<Seed> seeds;
    const int shapes[][3] = {{1, 1, 1}, {4, 3, 2}, {9, 2, 3}, {16, 16, 1}};
    std::uint32_t salt = 7;
    for (const auto& shape : shapes) {
        Seed seed{static_cast<std::uint8_t>(shape[0] - 1), static_cast<std::uint8_t>(shape[1] - 1),
                  static_cast<std::uint8_t>(shape[2] - 1)};
        for (int f = 0; f < shape[2]; ++f) {
            seed.push_back(static_cast<std::uint8_t>(f));
            seed.push_back(static_cast<std::uint8_t>(100 + f * 50));
        }
        for (int p = 0; p < shape[0] * shape[1] * shape[2]; ++p) {
            const std::uint32_t v = p % 4 == 0 ? 0 : salt++ * 0x9E3779B1u;
            for (int b = 0; b < 4; ++b) seed.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
        }
        seeds.push_back(std::move(seed));
    }
    return seeds;
}

std::unique_ptr<dabro::SpriteDocument> small_document(std::uint32_t seed) {
    auto doc = dabro::test::make_document({.sequences = 2,
                                           .framesPerSequence = 2,
                                           .nameLength = 5,
                                           .collections = {{2, 2}, {1, 1, ' '}, {3, 1}},
                                           .imageWidth = 4,
                                           .imageHeight = 3,
                                           .seed = seed});
    return doc;
}

std::vector<Seed> sheet_json_seeds() {
    std::vector<Seed> seeds;
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        const auto doc = small_document(seed);
        for (int c : {0, 2}) {
            dabro::SheetLayout layout;
            if (!dabro::sheet_layout(doc->collections[static_cast<std::size_t>(c)], layout).ok())
                std::abort();
            seeds.push_back(text(dabro::sheet_json(layout).dump()));
        }
    }
    return seeds;
}

// Folders as unpack writes them, in the pack target's form: sprite.json, a NUL byte, then
// each sheet with a 16-bit length.
std::vector<Seed> pack_folder_seeds(const fs::path& scratch) {
    std::vector<Seed> seeds;
    for (std::uint32_t seed = 1; seed <= 2; ++seed) {
        const fs::path folder = scratch / ("unpacked-" + std::to_string(seed));
        fs::remove_all(folder);
        if (!dabro::unpack_sprite(*small_document(seed), folder.string()).ok()) std::abort();
        Seed blob;
        if (!dabro::read_whole_file((folder / dabro::kSpriteJsonName).string(), blob).ok())
            std::abort();
        blob.push_back(0);
        for (const char* sheet : {"00-", "02-"}) {
            for (const auto& entry : fs::directory_iterator(folder)) {
                if (entry.path().filename().string().rfind(sheet, 0) != 0) continue;
                Seed png;
                if (!dabro::read_whole_file(entry.path().string(), png).ok()) std::abort();
                blob.push_back(static_cast<std::uint8_t>(png.size()));
                blob.push_back(static_cast<std::uint8_t>(png.size() >> 8));
                blob.insert(blob.end(), png.begin(), png.end());
            }
        }
        fs::remove_all(folder);
        seeds.push_back(blob);
    }
    return seeds;
}

void write_all(const fs::path& folder, const std::vector<Seed>& seeds) {
    fs::create_directories(folder);
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "seed-%03zu", i);
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(seeds[i].data()),
                  static_cast<std::streamsize>(seeds[i].size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", (folder / name).c_str());
            std::exit(1);
        }
    }
}

}  // namespace

// Valid inputs of many shapes, from which the fuzzer mutates. Usage: make_seeds DIR (creates
// DIR/<target>/).
int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const fs::path root(argv[1]);
    write_all(root / "sprite_loader", sprite_seeds());
    write_all(root / "render", image_seeds());
    write_all(root / "halve", image_seeds());
    write_all(root / "raw_import", raw_seeds());
    write_all(root / "palette", palette_seeds());
    write_all(root / "text_to_int", text_seeds());
    write_all(root / "import_name", import_name_seeds());
    write_all(root / "palette_gpl", gpl_seeds());
    write_all(root / "palette_jasc", jasc_seeds());
    write_all(root / "palette_riff", riff_seeds());
    write_all(root / "player_frame", player_frame_seeds());
    write_all(root / "png_import", png_seeds());
    write_all(root / "sheet_json", sheet_json_seeds());
    write_all(root / "apng", apng_seeds());
    fs::create_directories(root);
    write_all(root / "pack_folder", pack_folder_seeds(root));
    return 0;
}
