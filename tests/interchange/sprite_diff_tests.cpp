#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>

#include "imaging/reference.h"
#include "interchange/raw_import.h"
#include "interchange/sprite_diff.h"
#include "support/sprite_builder.h"

namespace dabro {
namespace {

using Data = std::vector<std::uint8_t>;

// Raw pixels (index, alpha) of a w x h image, all opaque.
Data opaque_raw(int w, int h) {
    Data raw;
    for (int i = 0; i < w * h; ++i) {
        raw.push_back(static_cast<std::uint8_t>(i * 7));
        raw.push_back(255);
    }
    return raw;
}

// The same pixels as kind-1 runs of one row each.
Data row_runs(int w, int h) {
    Data out;
    for (int y = 0; y < h; ++y) {
        out.push_back(static_cast<std::uint8_t>(w << 2 | 1));
        for (int x = 0; x < w; ++x) out.push_back(static_cast<std::uint8_t>((y * w + x) * 7));
    }
    return out;
}

std::unique_ptr<SpriteDocument> base() {
    auto doc = test::make_document({.sequences = 3, .collections = {{2, 3}, {1, 2}}});
    doc->sequences[2].set_name("run");
    doc->collections[1].set_name("coin");
    doc->collections[0].images[5].set_data(encode_raw_pixels(opaque_raw(6, 5)));
    return doc;
}

std::vector<std::string> texts(const SpriteDocument& a, const SpriteDocument& b) {
    std::vector<std::string> out;
    for (const Difference& d : diff_documents(a, b)) out.push_back(difference_text(d));
    return out;
}

struct OnePlace {
    const char* what;
    std::function<void(SpriteDocument&)> change;
    const char* expected;
};

TEST(SpriteDiff, EachChangeIsReportedAtItsPlaceAlone) {
    const auto a = base();
    const std::string x = std::to_string(a->centerX);
    const OnePlace cases[] = {
        {"centre", [](SpriteDocument& d) { d.centerX = 77; }, "header centerX: CX -> 77"},
        {"dimensions",
         [](SpriteDocument& d) {
             d.dimensions = {1, 2, 3};
         },
         nullptr},
        {"added sequence",
         [](SpriteDocument& d) {
             d.sequenceCount = 4;
             d.sequences[3].set_name("new\"one");
         },
         "sequence 3 added: \"new\\\"one\""},
        {"removed sequence", [](SpriteDocument& d) { d.sequenceCount = 2; },
         "sequence 2 removed: \"run\""},
        {"renamed", [](SpriteDocument& d) { d.sequences[2].set_name("r\xE9n"); },
         "sequence 2 name: \"run\" -> \"r\xC3\xA9n\""},
        {"collection index", [](SpriteDocument& d) { d.sequences[1].collectionIndex = 9; },
         nullptr},
        {"frames", [](SpriteDocument& d) { d.sequences[0].frameValue[2] += 1; },
         "sequence 0 frames: frames 2 differ"},
        {"removed collection", [](SpriteDocument& d) { d.collectionCount = 1; },
         "collection 1 removed: \"coin\""},
        {"directions", [](SpriteDocument& d) { d.collections[0].directions = 2; },
         "collection 0 directions: 3 -> 2"},
        {"section type", [](SpriteDocument& d) { d.collections[1].imageSectionType = 'Z'; },
         "collection 1 imageSectionType: \"1\" -> \"Z\""},
        {"palette entries",
         [](SpriteDocument& d) {
             for (int e : {3, 4, 5, 9}) d.collections[0].palettes[2][e] ^= 1;
         },
         "collection 0 palette 2: entries 3-5, 9 differ"},
        {"boxes", [](SpriteDocument& d) { d.collections[1].boxes[1].top += 1; },
         "collection 1 boxes: slots 1 differ"},
        {"size", [](SpriteDocument& d) { d.collections[0].images[4].width = 9; },
         "collection 0 image 4 size: 6x5 -> 9x5"},
        {"one pixel",
         [](SpriteDocument& d) {
             Data raw = opaque_raw(6, 5);
             raw[2 * (3 * 6 + 4)] += 1;
             d.collections[0].images[5].set_data(encode_raw_pixels(raw));
         },
         "collection 0 image 5 pixels: 1 differ, first at 4,3"},
        {"encoding", [](SpriteDocument& d) { d.collections[0].images[5].set_data(row_runs(6, 5)); },
         "collection 0 image 5: same pixels, different encoding"},
        // Only the image's own pixels count: not rows past its height, nor runs past a row's
        // end, nor transparent pixels the data state where the other leaves them out.
        {"beyond the size",
         [](SpriteDocument& d) {
             Data data = row_runs(6, 5);
             data[0] = 7 << 2 | 1;
             data.insert(data.begin() + 7, 99);
             data.insert(data.end(), {6 << 2 | 1, 1, 2, 3, 4, 5, 6, 4 << 2});
             d.collections[0].images[5].set_data(data);
         },
         "collection 0 image 5: same pixels, different encoding"},
    };
    EXPECT_TRUE(diff_documents(*a, *a).empty());
    for (const OnePlace& c : cases) {
        SCOPED_TRACE(c.what);
        auto b = base();
        c.change(*b);
        const std::vector<std::string> got = texts(*a, *b);
        ASSERT_EQ(got.size(), 1u) << (got.empty() ? "" : got[0]);
        if (c.expected) {
            std::string expected = c.expected;
            if (const auto at = expected.find("CX"); at != std::string::npos)
                expected.replace(at, 2, x);
            EXPECT_EQ(got[0], expected);
        }
        EXPECT_EQ(texts(*b, *a).size(), 1u);
    }
}

// The look of a pixel as the preview shows it, keyed by place: the slow way to compare.
// Only what shows within width x height is kept; a place left out is transparent.
std::map<std::pair<std::int64_t, std::int64_t>, int> looks(const Data& data, int width,
                                                           int height) {
    std::map<std::pair<std::int64_t, std::int64_t>, int> out;
    for (const test::RefPixel& p : test::reference_decode(data, width, false)) {
        const bool palette = p.kind == 1 || p.kind == 2;
        const int look = p.alpha == 0 ? 0 : palette ? 1 << 16 | p.index << 8 | p.alpha : p.alpha;
        if (p.x < width && p.y < height && look != 0) out[{p.y, p.x}] = look;
    }
    return out;
}

// Pixel counts and first places agree with a comparison of two maps, over random images of
// every command kind with one byte changed, a byte cut off, or a run added that shows
// pixels or none.
TEST(SpriteDiff, PixelComparisonAgreesWithTheSlowOne) {
    test::Rng rng(5);
    const auto sa = make_session();
    const auto sb = make_session();
    SpriteDocument& a = sa->document;
    SpriteDocument& b = sb->document;
    for (int round = 0; round < 400; ++round) {
        const int w = 1 + rng.below(9);
        const int h = 1 + rng.below(6);
        const Data da = test::mixed_rle(w, h, static_cast<std::uint32_t>(round));
        Data db = da;
        switch (rng.below(5)) {
            case 0:
                if (!db.empty()) {
                    db[static_cast<std::size_t>(rng.below(static_cast<int>(db.size())))] ^=
                        static_cast<std::uint8_t>(1 + rng.below(255));
                }
                break;
            case 1:
                if (!db.empty()) db.pop_back();
                break;
            case 2:
                db.insert(db.end(), {0x0A, 1, 2, 3, 4});
                break;
            case 3:
                db.push_back(0x00);  // a run of no pixels
                break;
            default:
                db.insert(db.end(), {0x09, 7});  // a run cut short delivers nothing
                break;
        }
        for (SpriteDocument* d : {&a, &b}) {
            d->collectionCount = 1;
            d->collections[0].frames = d->collections[0].directions = 1;
            d->collections[0].images[0].width = w;
            d->collections[0].images[0].height = h;
        }
        a.collections[0].images[0].set_data(da);
        b.collections[0].images[0].set_data(db);

        const auto la = looks(da, w, h);
        const auto lb = looks(db, w, h);
        std::int64_t count = 0;
        std::pair<std::int64_t, std::int64_t> first{-1, -1};
        auto note = [&](std::pair<std::int64_t, std::int64_t> at) {
            if (count++ == 0 || at < first) first = at;
        };
        for (const auto& [at, look] : la)
            if (!lb.count(at) || lb.at(at) != look) note(at);
        for (const auto& [at, look] : lb)
            if (!la.count(at)) note(at);

        const std::vector<Difference> diff = diff_documents(a, b);
        SCOPED_TRACE(round);
        if (da == db) {
            EXPECT_TRUE(diff.empty());
        } else if (count == 0) {
            ASSERT_EQ(diff.size(), 1u);
            EXPECT_EQ(diff[0].field, "encoding");
        } else {
            ASSERT_EQ(diff.size(), 1u);
            EXPECT_EQ(diff[0].field, "pixels");
            EXPECT_EQ(diff[0].count, count);
            EXPECT_EQ(diff[0].y, first.first);
            EXPECT_EQ(diff[0].x, first.second);
        }
    }
}

TEST(SpriteDiff, TextViewChangesInTheLineOfWhatChanged) {
    auto sa = make_session();
    auto sb = make_session();
    sa->document = *base();
    sb->document = *base();
    EXPECT_EQ(document_text(*sa), document_text(*sb));
    sb->document.collections[0].images[5].set_data(row_runs(6, 5));
    const std::string ta = document_text(*sa);
    const std::string tb = document_text(*sb);
    const auto line_of = [](const std::string& t, const std::string& start) {
        const auto at = t.find(start);
        return t.substr(at, t.find('\n', at) - at);
    };
    const std::string key = "collection 0 image 5 data ";
    const std::string la = line_of(ta, key);
    const std::string lb = line_of(tb, key);
    EXPECT_NE(la, lb);
    // A change of encoding alone keeps the pixels' hash.
    EXPECT_EQ(la.substr(la.find(" pixels ")), lb.substr(lb.find(" pixels ")));
    std::string restored = tb;
    restored.replace(restored.find(lb), lb.size(), la);
    EXPECT_EQ(restored, ta);
}

}  // namespace
}  // namespace dabro
