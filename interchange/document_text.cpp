// The text dump: a document one field a line, for version control's text diff.
#include "interchange/document_text.h"

#include <algorithm>
#include <cstdio>

#include "interchange/sprite_text.h"

namespace dabro {

namespace {

std::string num(std::int64_t v) {
    return std::to_string(v);
}

// FNV-1a, 64 bits: a stable fingerprint for the text view, not a guard against tampering.
struct Fnv {
    std::uint64_t h = 0xcbf29ce484222325ull;
    void add(std::uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            h ^= (v >> (8 * i)) & 0xFF;
            h *= 0x100000001b3ull;
        }
    }
};

std::string hex64(std::uint64_t v) {
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
    return text;
}

}  // namespace

std::string document_text(const Session& session) {
    const SpriteDocument& doc = session.document;
    std::string out;
    auto line = [&](const std::string& text) {
        out += text;
        out += '\n';
    };
    line("dimensions " + num(doc.dimensions[0]) + " " + num(doc.dimensions[1]) + " " +
         num(doc.dimensions[2]));
    line("centerX " + num(doc.centerX));
    line("centerY " + num(doc.centerY));
    line("headerWord " + num(doc.headerWord));
    line("headerByte " + num(doc.headerByte));
    line("imagesReadable " + std::string(session.imagesReadable ? "true" : "false"));
    const int sequences = std::clamp<std::int32_t>(doc.sequenceCount, 0, kMaxSequences);
    line("sequenceCount " + num(sequences));
    for (int s = 0; s < sequences; ++s) {
        const Sequence& seq = doc.sequences[s];
        const std::string p = "sequence " + num(s) + " ";
        line(p + "name " + quoted_name(seq.name.view()));
        line(p + "collectionIndex " + num(seq.collectionIndex));
        const int frames = std::clamp<std::int32_t>(seq.frameCount, 0, kMaxSequenceFrames);
        line(p + "frameCount " + num(frames));
        for (int f = 0; f < frames; ++f)
            line(p + "frame " + num(f) + " " + num(seq.imageIndex[f]) + " / " +
                 num(seq.frameValue[f]));
    }
    const int collections = std::clamp<std::int32_t>(doc.collectionCount, 0, kMaxCollections);
    line("collectionCount " + num(collections));
    char colour[8];
    for (int c = 0; c < collections; ++c) {
        const ImageCollection& col = doc.collections[c];
        const std::string p = "collection " + num(c) + " ";
        line(p + "name " + quoted_name(col.name.view()));
        line(p + "frames " + num(col.frames));
        line(p + "directions " + num(col.directions));
        line(p + "imageSectionType " + section_type_text(col.imageSectionType));
        for (int pal = 0; pal < kPalettesPerCollection; ++pal) {
            for (int e = 0; e < kPaletteEntries; ++e) {
                std::snprintf(colour, sizeof colour, "%06x", col.palettes[pal][e] & 0xFFFFFFu);
                line(p + "palette " + num(pal) + " entry " + num(e) + " " + colour);
            }
        }
        for (int k = 0; k < col.slot_count(); ++k) {
            const CollectionImage& image = col.images[k];
            const BoundingBox& box = col.boxes[k];
            const std::string ip = p + "image " + num(k) + " ";
            line(ip + "box " + num(box.left) + " " + num(box.top) + " " + num(box.right) + " " +
                 num(box.bottom));
            line(ip + "size " + std::to_string(image.width) + "x" + std::to_string(image.height));
            line(ip + "kind " + num(image.kind) + " flag " + num(image.flag));
            Fnv data;
            for (std::uint8_t byte : encoded_bytes(image)) data.add(byte, 1);
            Fnv pixels;
            for_each_shown_pixel(image, [&](std::int64_t x, std::int64_t y, std::uint32_t look) {
                pixels.add(static_cast<std::uint64_t>(x), 8);
                pixels.add(static_cast<std::uint64_t>(y), 8);
                pixels.add(look, 4);
            });
            line(ip + "data " + num(image.dataLength) + " bytes " + hex64(data.h) + " pixels " +
                 hex64(pixels.h));
        }
    }
    return out;
}

}  // namespace dabro
