// Finds what is broken or lossy in a sprite: references to nothing, empty and duplicate content.
#include "imaging/sprite_lint.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bitset>
#include <map>
#include <thread>

#include "imaging/pixel_image.h"
#include "imaging/rle.h"

namespace dabro {

namespace {

// The rules, in the order lint_rules() lists them.
// clang-format off
enum Rule { MissingCollection, EmptySequence, MissingFrame, CompressedImages, UnusedCollection,
            EmptyImage, BoxOutsideImage, BoxSizeMismatch, RowCrossingRuns, TruncatedRuns,
            DuplicateImages, DuplicatePaletteColours, kRuleCount };
// clang-format on
constexpr std::array<const char*, kRuleCount> kRuleNames = {
    "missing-collection", "empty-sequence", "missing-frame",     "compressed-images",
    "unused-collection",  "empty-image",    "box-outside-image", "box-size-mismatch",
    "row-crossing-runs",  "truncated-runs", "duplicate-images",  "duplicate-palette-colours"};

// What one walk over an image's data tells: a hash of its own pixels (where they are and
// what they show), the palette entries they use, and whether the two row rules read the
// image differently.
struct ImageFacts {
    std::uint64_t hash = 0;
    std::bitset<kPaletteEntries> used;
    bool crossesRow = false;
    bool cutShort = false;  // the data end inside a run's operands
};

// What a pixel shows: nothing when transparent, else its alpha and, from the palette, its
// index.
inline std::uint32_t shown(std::uint8_t kind, std::uint8_t index, std::uint8_t alpha) {
    if (alpha == 0) return 0;
    return kind == 1 || kind == 2 ? 0x10000u | std::uint32_t{index} << 8 | alpha : alpha;
}

// One pixel's share of the hash. Shares are added, so the pixels of a run are independent
// of each other; the mix keeps a sum of them from matching by chance.
inline std::uint64_t share(std::uint64_t at, std::uint32_t value) {
    std::uint64_t v = (at << 24 | value) * 0x9E3779B97F4A7C15u;
    return v ^ v >> 29;
}

// The image's pixels as each row rule reads them.
template <RowRule Rule>
std::vector<std::uint32_t> pixels_by(const CollectionImage& image) {
    const std::int64_t w = image.width;
    const std::int64_t h = image.height;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w * h), 0);
    walk_rle<Rule>(
        encoded_bytes(image), image.width, [&](std::int64_t x, std::int64_t y, const RlePixel& p) {
            if (x < w && y < h)
                pixels[static_cast<std::size_t>(y * w + x)] = shown(p.kind, p.index, p.alpha);
        });
    return pixels;
}

// The hash and palette entries of the pixels inside the image, gathered as the walk goes.
struct PixelSums {
    std::uint64_t hash = 0;
    std::uint64_t used[kPaletteEntries / 64] = {};

    void add(std::uint64_t at, std::uint32_t value) { hash += share(at, value); }
    void add(std::uint64_t at, std::uint8_t index, std::uint8_t alpha) {
        used[index >> 6] |= std::uint64_t{1} << (index & 63);
        add(at, shown(1, index, alpha));
    }
};

// The walk of the preview's row rule, a run at a time: a transparent run is stepped over
// whole, and only the pixels inside the image count. The one-pixel encoding's commands,
// a byte 4 or 6 for each pixel, take a short way.
ImageFacts examine(const CollectionImage& image) {
    ImageFacts facts;
    const std::int64_t w = image.width;
    const std::int64_t h = image.height;
    PixelSums sums;
    sums.hash = 0xcbf29ce484222325u ^ static_cast<std::uint64_t>(w << 32 | h);
    if (w <= 0 || h <= 0) {
        facts.hash = sums.hash;
        return facts;
    }
    const std::span<const std::uint8_t> data = encoded_bytes(image);
    const std::uint8_t* at = data.data();
    const std::uint8_t* const end = at + data.size();
    std::int64_t x = 0;     // below w where a command starts
    std::uint64_t row = 0;  // the first pixel of the row
    const auto rows = static_cast<std::uint64_t>(w * h);
    bool crosses = false;
    while (at < end) {
        const std::uint8_t byte = *at;
        std::int64_t n = 1;
        if (byte == kTransparentPixelByte) {
            ++at;
        } else if (byte == kIndexAlphaPixelByte && end - at >= 3) {
            if (at[2] != 0 && row < rows)
                sums.add(row + static_cast<std::uint64_t>(x), at[1], at[2]);
            at += 3;
        } else {
            const std::uint8_t kind = byte & 3u;
            n = byte >> 2;
            const auto need = static_cast<std::size_t>(n) * operand_bytes_per_pixel(kind);
            if (static_cast<std::size_t>(end - at - 1) < need) {
                facts.cutShort = true;
                break;
            }
            const std::uint8_t* op = at + 1;
            at += 1 + need;
            const std::int64_t inside = row < rows ? std::min(n, w - x) : 0;
            const std::uint64_t first = row + static_cast<std::uint64_t>(x);
            for (std::int64_t i = 0; kind == 1 && i < inside; ++i)
                sums.add(first + static_cast<std::uint64_t>(i), op[i], 255);
            for (std::int64_t i = 0; kind == 2 && i < inside; ++i)
                if (op[2 * i + 1] != 0)
                    sums.add(first + static_cast<std::uint64_t>(i), op[2 * i], op[2 * i + 1]);
            for (std::int64_t i = 0; kind == 3 && i < inside; ++i)
                if (op[i] != 0) sums.add(first + static_cast<std::uint64_t>(i), op[i]);
        }
        x += n;
        if (x >= w) {
            crosses = crosses || x > w;
            x = 0;
            row += static_cast<std::uint64_t>(w);
        }
    }
    facts.hash = sums.hash;
    for (int i = 0; i < kPaletteEntries; ++i)
        if (sums.used[i >> 6] >> (i & 63) & 1) facts.used.set(static_cast<std::size_t>(i));
    // A run past a row's end matters only where the halving's rule shows other pixels.
    facts.crossesRow =
        crosses && pixels_by<RowRule::Preview>(image) != pixels_by<RowRule::Halving>(image);
    return facts;
}

bool same_pixels(const CollectionImage& a, const CollectionImage& b) {
    if (a.width != b.width || a.height != b.height) return false;
    PixelImage pa;
    PixelImage pb;
    if (!decode_pixels(a, pa).ok() || !decode_pixels(b, pb).ok()) return false;
    return pa == pb;
}

// The facts of every image slot in use of every readable collection, the walks shared out
// over worker threads.
std::vector<std::vector<ImageFacts>> examine_all(const SpriteDocument& doc, unsigned threads) {
    std::vector<std::vector<ImageFacts>> facts(static_cast<std::size_t>(doc.collectionCount));
    std::vector<std::pair<int, int>> work;
    std::int64_t bytes = 0;
    for (int c = 0; c < doc.collectionCount; ++c) {
        const ImageCollection& col = doc.collections[static_cast<std::size_t>(c)];
        if (!col.images_readable()) continue;
        facts[static_cast<std::size_t>(c)].resize(static_cast<std::size_t>(col.slot_count()));
        for (int k = 0; k < col.slot_count(); ++k) {
            work.emplace_back(c, k);
            bytes += static_cast<std::int64_t>(
                encoded_bytes(col.images[static_cast<std::size_t>(k)]).size());
        }
    }
    std::atomic<std::size_t> next{0};
    auto worker = [&] {
        for (std::size_t i = next++; i < work.size(); i = next++) {
            const auto [c, k] = work[i];
            facts[static_cast<std::size_t>(c)][static_cast<std::size_t>(k)] = examine(
                doc.collections[static_cast<std::size_t>(c)].images[static_cast<std::size_t>(k)]);
        }
    };
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    // Small documents are quicker on the caller's thread than with threads to start.
    constexpr std::int64_t kBytesWorthAThread = 1 << 20;
    threads =
        static_cast<unsigned>(std::min<std::int64_t>(threads, 1 + bytes / kBytesWorthAThread));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) {
        try {
            pool.emplace_back(worker);
        } catch (const std::system_error&) {
            break;  // the caller's thread does the rest
        }
    }
    worker();
    for (std::thread& t : pool) t.join();
    return facts;
}

std::string join(const std::vector<int>& values) {
    std::string text;
    for (int v : values) text += (text.empty() ? "" : ", ") + std::to_string(v);
    return text;
}

std::string hex_colour(std::uint32_t rgb) {
    static const char* digits = "0123456789abcdef";
    std::string text = "#";
    for (int shift = 20; shift >= 0; shift -= 4) text += digits[rgb >> shift & 0xF];
    return text;
}

// Where a finding is: a sequence (and frame), or a collection (and image).
LintFinding in_sequence(int s, std::optional<int> frame = {}) {
    LintFinding place;
    place.sequence = s;
    place.frame = frame;
    return place;
}

LintFinding in_collection(int c, std::optional<int> image = {}) {
    LintFinding place;
    place.collection = c;
    place.image = image;
    return place;
}

class Linter {
  public:
    Linter(const SpriteDocument& doc, const std::vector<std::string>& disabled)
        : doc_(doc), disabled_(disabled) {}

    void sequences() {
        for (int s = 0; s < doc_.sequenceCount; ++s) {
            const Sequence& seq = doc_.sequences[static_cast<std::size_t>(s)];
            const int c = seq.collectionIndex;
            if (!collection_in_use(doc_, c)) {
                add(MissingCollection,
                    "the sequence names collection " + std::to_string(c) + ", but the sprite has " +
                        std::to_string(doc_.collectionCount),
                    in_sequence(s));
            }
            if (seq.frameCount <= 0)
                add(EmptySequence, "the sequence has no frames", in_sequence(s));
            if (!collection_in_use(doc_, c)) continue;
            const ImageCollection& col = doc_.collections[static_cast<std::size_t>(c)];
            for (int f = 0; f < std::min(seq.frameCount, kMaxSequenceFrames); ++f) {
                const int index = seq.imageIndex[static_cast<std::size_t>(f)];
                if (index >= 0 && index < col.frames) continue;
                add(MissingFrame,
                    "the frame shows image " + std::to_string(index) + " of collection " +
                        std::to_string(c) + ", which has " + std::to_string(col.frames) +
                        (col.frames == 1 ? " frame" : " frames"),
                    in_sequence(s, f));
            }
        }
    }

    void collection(int c, const std::vector<ImageFacts>& facts) {
        const ImageCollection& col = doc_.collections[static_cast<std::size_t>(c)];
        std::vector<int> shownBy(static_cast<std::size_t>(std::max(0, col.slot_count())), -1);
        bool named = false;
        for (int s = 0; s < doc_.sequenceCount; ++s) {
            const Sequence& seq = doc_.sequences[static_cast<std::size_t>(s)];
            if (seq.collectionIndex != c) continue;
            named = true;
            for (int f = 0; f < std::min(seq.frameCount, kMaxSequenceFrames); ++f) {
                for (int d = 0; d < col.directions; ++d) {
                    const int slot = col.slot_of(seq.imageIndex[static_cast<std::size_t>(f)], d);
                    if (slot >= 0 && shownBy[static_cast<std::size_t>(slot)] < 0)
                        shownBy[static_cast<std::size_t>(slot)] = s;
                }
            }
        }
        if (!col.images_readable()) {
            add(CompressedImages,
                col.imageSectionType == '\0'
                    ? std::string("the collection's image section was not found")
                    : std::string("the images are in a section of type '") + col.imageSectionType +
                          "', which Dabro cannot read",
                in_collection(c));
        }
        if (!named) add(UnusedCollection, "no sequence names the collection", in_collection(c));
        if (!col.images_readable()) return;
        std::multimap<std::uint64_t, int> seen;
        for (int k = 0; k < col.slot_count(); ++k)
            image(c, k, shownBy[static_cast<std::size_t>(k)], facts, seen);
        palette_colours(c, facts);
    }

    std::vector<LintFinding> take() { return std::move(findings_); }

  private:
    void image(int c, int k, int shownBy, const std::vector<ImageFacts>& facts,
               std::multimap<std::uint64_t, int>& seen) {
        const ImageCollection& col = doc_.collections[static_cast<std::size_t>(c)];
        const CollectionImage& img = col.images[static_cast<std::size_t>(k)];
        const BoundingBox& box = col.boxes[static_cast<std::size_t>(k)];
        const ImageFacts& fact = facts[static_cast<std::size_t>(k)];
        const bool empty = img.width <= 0 || img.height <= 0;
        auto here = [&](Rule rule, std::string message) {
            add(rule, std::move(message), in_collection(c, k));
        };
        if (empty && shownBy >= 0)
            here(EmptyImage, "the image is " + std::to_string(img.width) + " x " +
                                 std::to_string(img.height) + " pixels, but sequence " +
                                 std::to_string(shownBy) + " shows it");
        if (box.left > box.right || box.top > box.bottom)
            here(BoxOutsideImage, "the box runs from (" + std::to_string(box.left) + ", " +
                                      std::to_string(box.top) + ") to (" +
                                      std::to_string(box.right) + ", " +
                                      std::to_string(box.bottom) + ")");
        const std::int64_t boxWidth = std::int64_t{box.right} - box.left;
        const std::int64_t boxHeight = std::int64_t{box.bottom} - box.top;
        if (shownBy >= 0 && (boxWidth != img.width || boxHeight != img.height))
            here(BoxSizeMismatch, "the box is " + std::to_string(boxWidth) + " x " +
                                      std::to_string(boxHeight) + " pixels, but the image is " +
                                      std::to_string(img.width) + " x " +
                                      std::to_string(img.height));
        if (fact.crossesRow)
            here(RowCrossingRuns,
                 "runs cross the end of a row, so the preview and halving read the image "
                 "differently");
        if (fact.cutShort)
            here(TruncatedRuns, "the data end inside a run, so the run's pixels are never drawn");
        if (empty) return;
        auto [first, last] = seen.equal_range(fact.hash);
        for (auto it = first; it != last; ++it) {
            if (!same_pixels(col.images[static_cast<std::size_t>(it->second)], img)) continue;
            here(DuplicateImages,
                 "the image has the same pixels as image " + std::to_string(it->second));
            return;
        }
        seen.emplace(fact.hash, k);
    }

    void palette_colours(int c, const std::vector<ImageFacts>& facts) {
        const ImageCollection& col = doc_.collections[static_cast<std::size_t>(c)];
        std::bitset<kPaletteEntries> used;
        for (const ImageFacts& f : facts) used |= f.used;
        std::map<std::uint32_t, std::vector<int>> entriesOf;
        for (int i = 0; i < kPaletteEntries; ++i)
            if (used.test(static_cast<std::size_t>(i)))
                entriesOf[col.palettes[0][static_cast<std::size_t>(i)] & 0xFFFFFFu].push_back(i);
        std::vector<std::pair<std::uint32_t, std::vector<int>>> groups;
        for (auto& [colour, entries] : entriesOf)
            if (entries.size() > 1) groups.emplace_back(colour, std::move(entries));
        std::sort(groups.begin(), groups.end(),
                  [](const auto& a, const auto& b) { return a.second < b.second; });
        for (auto& [colour, entries] : groups) {
            std::string message = "palette 0 holds " + hex_colour(colour) + " at entries " +
                                  join(entries) +
                                  ", which the images use; a PNG round trip can merge them";
            LintFinding place = in_collection(c);
            place.entries = std::move(entries);
            add(DuplicatePaletteColours, std::move(message), std::move(place));
        }
    }

    void add(Rule rule, std::string message, LintFinding place) {
        const char* name = kRuleNames[rule];
        if (std::find(disabled_.begin(), disabled_.end(), name) != disabled_.end()) return;
        place.rule = name;
        place.message = std::move(message);
        findings_.push_back(std::move(place));
    }

    const SpriteDocument& doc_;
    const std::vector<std::string>& disabled_;
    std::vector<LintFinding> findings_;
};

}  // namespace

const std::vector<std::string_view>& lint_rules() {
    static const std::vector<std::string_view> rules(kRuleNames.begin(), kRuleNames.end());
    return rules;
}

std::string lint_place(const LintFinding& f) {
    std::string place;
    auto part = [&](const char* name, const std::string& value) {
        place += (place.empty() ? "" : ", ") + std::string(name) + " " + value;
    };
    if (f.sequence) part("sequence", std::to_string(*f.sequence));
    if (f.frame) part("frame", std::to_string(*f.frame));
    if (f.collection) part("collection", std::to_string(*f.collection));
    if (f.image) part("image", std::to_string(*f.image));
    if (!f.entries.empty()) part("entries", join(f.entries));
    return place;
}

std::vector<LintFinding> lint_sprite(const SpriteDocument& document,
                                     const std::vector<std::string>& disabled, unsigned threads) {
    Linter linter(document, disabled);
    linter.sequences();
    const std::vector<std::vector<ImageFacts>> facts = examine_all(document, threads);
    for (int c = 0; c < document.collectionCount; ++c)
        linter.collection(c, facts[static_cast<std::size_t>(c)]);
    return linter.take();
}

}  // namespace dabro
