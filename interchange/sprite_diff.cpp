// The diff of two sprites: their documents compared by place, or their bytes.
#include "interchange/sprite_diff.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <system_error>
#include <utility>

#include "document/file_layer.h"
#include "document/name_text.h"
#include "document/sprite_loader.h"
#include "imaging/rle.h"
#include "interchange/sprite_text.h"

namespace dabro {

namespace {

template <std::size_t N>
std::string quoted(const ShortName<N>& name) {
    return quoted_name(name.view());
}

std::string num(std::int64_t v) {
    return std::to_string(v);
}

std::string size_text(const CollectionImage& image) {
    return num(image.width) + "x" + num(image.height);
}

Difference make(const std::string& place, const std::string& field,
                std::optional<std::string> a = std::nullopt,
                std::optional<std::string> b = std::nullopt) {
    Difference d;
    d.place = place;
    d.field = field;
    d.a = std::move(a);
    d.b = std::move(b);
    return d;
}

struct Differ {
    std::vector<Difference> out;

    template <typename T>
    void value(const std::string& place, const char* field, const T& a, const T& b,
               std::string (*show)(const T&)) {
        if (a == b) return;
        out.push_back(make(place, field, show(a), show(b)));
    }
    void number(const std::string& place, const char* field, std::int64_t a, std::int64_t b) {
        if (a != b) out.push_back(make(place, field, num(a), num(b)));
    }
    void text(const std::string& place, const char* field, const std::string& a,
              const std::string& b) {
        if (a != b) out.push_back(make(place, field, a, b));
    }
    void list(const std::string& place, const std::string& field, std::vector<int> which) {
        if (which.empty()) return;
        Difference d = make(place, field);
        d.which = std::move(which);
        out.push_back(std::move(d));
    }
};

// A decoded pixel as the preview shows it: alpha 0 is transparent whatever the index; kinds
// 1 and 2 draw the index's colour, 0 and 3 black.
struct Pixel {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::uint32_t look = 0;  // palette flag, index and alpha in one value
};

std::vector<Pixel> decode(const CollectionImage& image) {
    std::vector<Pixel> pixels;
    for_each_shown_pixel(image, [&](std::int64_t x, std::int64_t y, std::uint32_t look) {
        pixels.push_back({x, y, look});
    });
    return pixels;
}

bool before(const Pixel& p, const Pixel& q) {
    return p.y != q.y ? p.y < q.y : p.x < q.x;
}

// Pixels compared by place: the walk delivers them in row order, so a merge finds the places
// only one image has and the places whose pixels differ.
void compare_pixels(const CollectionImage& a, const CollectionImage& b, const std::string& place,
                    Differ& d) {
    const std::vector<Pixel> pa = decode(a);
    const std::vector<Pixel> pb = decode(b);
    std::int64_t count = 0;
    Pixel first;
    auto note = [&](const Pixel& p) {
        if (count++ == 0) first = p;
    };
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < pa.size() || j < pb.size()) {
        if (j == pb.size() || (i < pa.size() && before(pa[i], pb[j]))) {
            note(pa[i++]);
        } else if (i == pa.size() || before(pb[j], pa[i])) {
            note(pb[j++]);
        } else {
            if (pa[i].look != pb[j].look) note(pa[i]);
            ++i;
            ++j;
        }
    }
    Difference diff = make(place, "");
    if (count == 0) {
        diff.field = "encoding";
    } else {
        diff.field = "pixels";
        diff.count = count;
        diff.x = first.x;
        diff.y = first.y;
    }
    d.out.push_back(std::move(diff));
}

void compare_image(const CollectionImage& a, const CollectionImage& b, const std::string& place,
                   Differ& d) {
    if (a.width != b.width || a.height != b.height)
        d.out.push_back(make(place, "size", size_text(a), size_text(b)));
    d.number(place, "kind", a.kind, b.kind);
    d.number(place, "flag", a.flag, b.flag);
    const auto da = encoded_bytes(a);
    const auto db = encoded_bytes(b);
    if (da.size() == db.size() && std::equal(da.begin(), da.end(), db.begin())) return;
    compare_pixels(a, b, place, d);
}

void compare_sequence(const Sequence& a, const Sequence& b, const std::string& place, Differ& d) {
    d.text(place, "name", quoted(a.name), quoted(b.name));
    d.number(place, "collectionIndex", a.collectionIndex, b.collectionIndex);
    d.number(place, "frameCount", a.frameCount, b.frameCount);
    std::vector<int> frames;
    const int common = std::clamp(std::min(a.frameCount, b.frameCount), 0, kMaxSequenceFrames);
    for (int f = 0; f < common; ++f) {
        if (a.imageIndex[f] != b.imageIndex[f] || a.frameValue[f] != b.frameValue[f])
            frames.push_back(f);
    }
    d.list(place, "frames", std::move(frames));
}

void compare_collection(const ImageCollection& a, const ImageCollection& b,
                        const std::string& place, Differ& d) {
    d.text(place, "name", quoted(a.name), quoted(b.name));
    d.number(place, "frames", a.frames, b.frames);
    d.number(place, "directions", a.directions, b.directions);
    d.text(place, "imageSectionType", section_type_text(a.imageSectionType),
           section_type_text(b.imageSectionType));
    for (int p = 0; p < kPalettesPerCollection; ++p) {
        std::vector<int> entries;
        for (int e = 0; e < kPaletteEntries; ++e) {
            if (a.palettes[p][e] != b.palettes[p][e]) entries.push_back(e);
        }
        d.list(place, "palette " + num(p), std::move(entries));
    }
    const int slots = std::min(a.slot_count(), b.slot_count());
    std::vector<int> boxes;
    for (int k = 0; k < slots; ++k) {
        if (a.boxes[k] != b.boxes[k]) boxes.push_back(k);
    }
    d.list(place, "boxes", std::move(boxes));
    for (int k = 0; k < slots; ++k)
        compare_image(a.images[k], b.images[k], place + " image " + num(k), d);
}

int in_use(std::int32_t count, int capacity) {
    return std::clamp(count, 0, capacity);
}

// "3, 7-9, 12"
std::string ranges(const std::vector<int>& which) {
    std::string out;
    for (std::size_t i = 0; i < which.size();) {
        std::size_t j = i;
        while (j + 1 < which.size() && which[j + 1] == which[j] + 1) ++j;
        if (!out.empty()) out += ", ";
        out += num(which[i]);
        if (j > i) out += "-" + num(which[j]);
        i = j + 1;
    }
    return out;
}

}  // namespace

std::vector<Difference> diff_documents(const SpriteDocument& a, const SpriteDocument& b) {
    Differ d;
    const std::string header = "header";
    d.value<std::array<std::uint8_t, 3>>(header, "dimensions", a.dimensions, b.dimensions,
                                         [](const std::array<std::uint8_t, 3>& v) {
                                             return num(v[0]) + " " + num(v[1]) + " " + num(v[2]);
                                         });
    d.number(header, "centerX", a.centerX, b.centerX);
    d.number(header, "centerY", a.centerY, b.centerY);
    d.number(header, "headerWord", a.headerWord, b.headerWord);
    d.number(header, "headerByte", a.headerByte, b.headerByte);

    const int sa = in_use(a.sequenceCount, kMaxSequences);
    const int sb = in_use(b.sequenceCount, kMaxSequences);
    for (int s = 0; s < std::max(sa, sb); ++s) {
        const std::string place = "sequence " + num(s);
        if (s >= sb) {
            d.out.push_back(make(place, "removed", quoted(a.sequences[s].name), std::nullopt));
        } else if (s >= sa) {
            d.out.push_back(make(place, "added", std::nullopt, quoted(b.sequences[s].name)));
        } else {
            compare_sequence(a.sequences[s], b.sequences[s], place, d);
        }
    }

    const int ca = in_use(a.collectionCount, kMaxCollections);
    const int cb = in_use(b.collectionCount, kMaxCollections);
    for (int c = 0; c < std::max(ca, cb); ++c) {
        const std::string place = "collection " + num(c);
        if (c >= cb) {
            d.out.push_back(make(place, "removed", quoted(a.collections[c].name), std::nullopt));
        } else if (c >= ca) {
            d.out.push_back(make(place, "added", std::nullopt, quoted(b.collections[c].name)));
        } else {
            compare_collection(a.collections[c], b.collections[c], place, d);
        }
    }
    return std::move(d.out);
}

Status first_different_byte(const std::string& pathA, const std::string& pathB,
                            std::optional<std::int64_t>& at) {
    FileReader fa;
    FileReader fb;
    if (Status s = fa.open(pathA); !s.ok()) return s;
    if (Status s = fb.open(pathB); !s.ok()) return s;
    constexpr std::size_t kChunk = 1 << 16;
    std::vector<std::uint8_t> ba(kChunk);
    std::vector<std::uint8_t> bb(kChunk);
    const std::size_t common = std::min(fa.size(), fb.size());
    at.reset();
    for (std::size_t pos = 0; pos < common; pos += kChunk) {
        const std::size_t n = std::min(kChunk, common - pos);
        if (!fa.read(ba.data(), n)) return fa.status();
        if (!fb.read(bb.data(), n)) return fb.status();
        if (std::memcmp(ba.data(), bb.data(), n) != 0) {
            const auto diff =
                std::mismatch(ba.begin(), ba.begin() + static_cast<std::ptrdiff_t>(n), bb.begin());
            at = static_cast<std::int64_t>(pos) + (diff.first - ba.begin());
            return Status::success();
        }
    }
    if (fa.size() != fb.size()) at = static_cast<std::int64_t>(common);
    return Status::success();
}

Status diff_sprite_files(const std::string& pathA, const std::string& pathB,
                         std::vector<Difference>& out) {
    // The two loads share nothing, so the first runs on a thread of its own while this one
    // reads the second: a diff then takes little more than one load.
    const auto load = [](const std::string& path, std::unique_ptr<Session>& session) {
        session = make_session();
        LoadReport report;
        Status s = load_sprite(path, *session, &report);
        if (s.ok() && !report.isSprite) s = Status::failure("This is not a .spr file");
        if (!s.ok()) return Status::failure(path + ": " + s.message());
        return s;
    };
    std::unique_ptr<Session> a;
    std::unique_ptr<Session> b;
    std::future<Status> first;
    try {
        first = std::async(std::launch::async, load, std::cref(pathA), std::ref(a));
    } catch (const std::system_error&) {
        first = std::async(std::launch::deferred, load, std::cref(pathA), std::ref(a));
    }
    const Status second = load(pathB, b);
    if (Status s = first.get(); !s.ok()) return s;
    if (!second.ok()) return second;
    std::vector<Difference> found = diff_documents(a->document, b->document);
    if (found.empty()) {
        std::optional<std::int64_t> at;
        if (Status s = first_different_byte(pathA, pathB, at); !s.ok()) return s;
        if (at) {
            Difference d = make("file", "bytes");
            d.count = *at;
            found.push_back(std::move(d));
        }
    }
    out = std::move(found);
    return Status::success();
}

std::string difference_text(const Difference& d) {
    std::string line = d.place + " " + d.field + ":";
    if (d.field == "pixels") {
        return line + " " + num(d.count) + " differ, first at " + num(d.x) + "," + num(d.y);
    }
    if (d.field == "encoding") return d.place + ": same pixels, different encoding";
    if (d.field == "bytes") {
        return d.place + ": the files differ from byte " + num(d.count) +
               " in what the document does not hold";
    }
    if (d.field == "added") return d.place + " added: " + d.b.value_or("");
    if (d.field == "removed") return d.place + " removed: " + d.a.value_or("");
    if (!d.which.empty()) {
        const char* unit = d.field == "boxes"    ? "slots"
                           : d.field == "frames" ? "frames"
                                                 : "entries";
        return line + " " + unit + " " + ranges(d.which) + " differ";
    }
    return line + " " + d.a.value_or("") + " -> " + d.b.value_or("");
}

}  // namespace dabro
