#include <gif_lib.h>
#include <gtest/gtest.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "cli_runner.h"
#include "document/sprite_saver.h"
#include "imaging/pixel_image.h"
#include "interchange/png_codec.h"
#include "sequence_document.h"
#include "support/apng_frames.h"
#include "support/sample_sprite.h"
#include "support/sprite_builder.h"
#include "support/temp_dir.h"

namespace dabro {
namespace {

using test::operator+;

// An animation read back: every frame as the whole picture in RGBA, its delay in ms, and
// the number of plays (0: forever).
struct Decoded {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::vector<std::uint32_t>> frames;
    std::vector<int> delays;
    int plays = -1;
};

Decoded read_gif(const std::vector<std::uint8_t>& bytes) {
    struct Input {
        const std::vector<std::uint8_t>* bytes;
        std::size_t at = 0;
    } input{&bytes};
    const auto reader = [](GifFileType* g, GifByteType* out, int n) {
        auto* in = static_cast<Input*>(g->UserData);
        const auto take =
            std::min<std::size_t>(static_cast<std::size_t>(n), in->bytes->size() - in->at);
        std::memcpy(out, in->bytes->data() + in->at, take);
        in->at += take;
        return static_cast<int>(take);
    };
    int error = 0;
    GifFileType* gif = DGifOpen(&input, reader, &error);
    Decoded d;
    if (gif == nullptr || DGifSlurp(gif) != GIF_OK) return d;
    d.width = static_cast<std::uint32_t>(gif->SWidth);
    d.height = static_cast<std::uint32_t>(gif->SHeight);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock gcb{};
        DGifSavedExtensionToGCB(gif, i, &gcb);
        d.delays.push_back(gcb.DelayTime * 10);
        for (int e = 0; e + 1 < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock& b = image.ExtensionBlocks[e];
            if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
                std::memcmp(b.Bytes, "NETSCAPE2.0", 11) == 0)
                d.plays = image.ExtensionBlocks[e + 1].Bytes[1] |
                          image.ExtensionBlocks[e + 1].Bytes[2] << 8;
        }
        const ColorMapObject* map = gif->SColorMap;
        std::vector<std::uint32_t> frame;
        for (std::size_t p = 0; p < std::size_t{d.width} * d.height; ++p) {
            const int index = image.RasterBits[p];
            const GifColorType c = map->Colors[index];
            frame.push_back(index == gcb.TransparentColor
                                ? 0u
                                : 0xFF000000u | c.Red | c.Green << 8 | std::uint32_t{c.Blue} << 16);
        }
        d.frames.push_back(std::move(frame));
    }
    DGifCloseFile(gif, &error);
    return d;
}

Decoded read_apng(const std::vector<std::uint8_t>& bytes) {
    const test::ApngFile file = test::split_apng(bytes);
    Decoded d;
    if (!file.ok) return d;
    d.plays = static_cast<int>(file.plays);
    for (const test::ApngFrame& f : file.list) {
        RgbaImage image;
        if (!decode_png(f.png, "frame", image).ok()) return {};
        d.width = image.width;
        d.height = image.height;
        d.frames.push_back(image.pixels);
        d.delays.push_back(f.delayNum * 1000 / std::max<int>(f.delayDen, 1));
    }
    return d;
}

// libwebp merges a frame equal to the one before into it; each decoded frame then lasts
// for both, which the timeline comparison below allows for.
Decoded read_webp(const std::vector<std::uint8_t>& bytes) {
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_RGBA;
    const WebPData data{bytes.data(), bytes.size()};
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    Decoded d;
    if (decoder == nullptr) return d;
    WebPAnimInfo info;
    WebPAnimDecoderGetInfo(decoder, &info);
    d.width = info.canvas_width;
    d.height = info.canvas_height;
    d.plays = static_cast<int>(info.loop_count);
    int last = 0;
    while (WebPAnimDecoderHasMoreFrames(decoder)) {
        std::uint8_t* rgba = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder, &rgba, &timestamp)) break;
        std::vector<std::uint32_t> frame(std::size_t{d.width} * d.height);
        std::memcpy(frame.data(), rgba, frame.size() * 4);
        d.frames.push_back(std::move(frame));
        d.delays.push_back(timestamp - last);
        last = timestamp;
    }
    WebPAnimDecoderDelete(decoder);
    return d;
}

// four_frame_sequence_document, with sequence 1 on collection 0 but without frames.
struct Animate : testing::Test {
    test::TempDir dir;
    test::TempDir scratch;  // render-sequence's sheets
    std::string sprite = dir.file("in.spr");
    std::unique_ptr<SpriteDocument> doc;

    void SetUp() override {
        doc = test::four_frame_sequence_document();
        doc->sequences[1].collectionIndex = 0;
        doc->sequences[1].frameCount = 0;
        // Every frame has pixels at the edge of GIF's alpha rule: 127 is clear, 128 opaque.
        for (std::size_t slot = 0; slot < 6; ++slot) {
            CollectionImage& image = doc->collections[0].images[slot];
            PixelImage pixels;
            ASSERT_TRUE(decode_pixels(image, pixels).ok());
            pixels.pixels[0] = indexed_pixel(9, 127);
            pixels.pixels[1] = indexed_pixel(9, 128);
            image.set_data(encode_compact(pixels));
        }
        ASSERT_TRUE(save_sprite(sprite, *doc, header_of(*doc)).ok());
    }

    // The cells render-sequence draws with the same choices.
    std::vector<std::vector<std::uint32_t>> sheet_cells(const test::Args& choice, std::uint32_t& w,
                                                        std::uint32_t& h) {
        const std::string png = scratch.file("sheet.png");
        const auto r = test::run_cli(test::Args{"render-sequence", sprite, "-o", png} + choice);
        EXPECT_EQ(r.code, 0) << r.err;
        RgbaImage sheet;
        EXPECT_TRUE(decode_png(test::read_bytes(png), "sheet", sheet).ok());
        const std::uint32_t frames = 4;
        w = sheet.width / frames;
        h = sheet.height;
        std::vector<std::vector<std::uint32_t>> cells(frames);
        for (std::uint32_t f = 0; f < frames; ++f)
            for (std::uint32_t y = 0; y < h; ++y)
                for (std::uint32_t x = 0; x < w; ++x) cells[f].push_back(sheet.at(f * w + x, y));
        return cells;
    }
};

struct Timing {
    test::Args args;
    std::vector<int> ms;     // each frame's delay
    std::vector<int> gifMs;  // as GIF keeps it
};

const Timing kTimings[] = {
    {{}, {100, 100, 100, 100}, {100, 100, 100, 100}},
    {{"--fps", "30"}, {33, 33, 33, 33}, {30, 30, 30, 30}},
    {{"--fps", "100"}, {10, 10, 10, 10}, {20, 20, 20, 20}},
    // A value of 0 or less keeps the rate.
    {{"--frame-value-ms"}, {100, 50, 150, 250}, {100, 50, 150, 250}},
    {{"--frame-value-ms", "--fps", "40"}, {25, 50, 150, 250}, {30, 50, 150, 250}},
};

using Case = std::tuple<const char*, std::size_t>;
struct EveryFrame : Animate, testing::WithParamInterface<Case> {};

TEST_P(EveryFrame, IsTheCellRenderSequenceDrawsWithItsDelayAndLoopsForever) {
    const auto& [extension, which] = GetParam();
    const Timing& timing = kTimings[which];
    const test::Args choice = {"-s", "0", "-d", "1", "-p", "2", "--scale", "3"};
    std::uint32_t w = 0;
    std::uint32_t h = 0;
    const auto cells = sheet_cells(choice, w, h);
    const std::string out = dir.file(std::string("anim.") + extension);
    const auto r = test::run_cli(test::Args{"animate", sprite, "-o", out} + choice + timing.args);
    ASSERT_EQ(r.code, 0) << r.err;
    const std::vector<std::uint8_t> bytes = test::read_bytes(out);
    const std::string ext = extension;
    const bool gif = ext == "gif";
    const Decoded d = gif ? read_gif(bytes) : ext == "webp" ? read_webp(bytes) : read_apng(bytes);
    EXPECT_EQ(d.plays, 0);
    ASSERT_EQ(d.width, w);
    ASSERT_EQ(d.height, h);
    // Walk the timeline: each decoded frame ends where one or more frames end.
    std::size_t q = 0;
    int elapsed = 0;
    int expectedEnd = 0;
    ASSERT_FALSE(d.frames.empty());
    for (std::size_t f = 0; f < d.frames.size(); ++f) {
        elapsed += d.delays[f];
        for (;;) {
            ASSERT_LT(q, cells.size());
            std::vector<std::uint32_t> want = cells[q];
            if (gif)  // alpha 128 and above is opaque in its colour, the rest is clear
                for (std::uint32_t& v : want) v = (v >> 24) >= 128 ? v | 0xFF000000u : 0u;
            EXPECT_EQ(d.frames[f], want) << "frame " << q;
            expectedEnd += (gif ? timing.gifMs : timing.ms)[q];
            ++q;
            if (expectedEnd >= elapsed) break;
        }
        EXPECT_EQ(elapsed, expectedEnd) << "delay of frame " << f;
    }
    EXPECT_EQ(q, cells.size());
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryFrame,
                         testing::Combine(testing::Values("gif", "apng", "webp"),
                                          testing::Range<std::size_t>(0, std::size(kTimings))),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param)) + "_timing" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST_F(Animate, AColourBackgroundMakesEveryPixelOpaqueOverIt) {
    std::uint32_t w = 0;
    std::uint32_t h = 0;
    const auto cells = sheet_cells({"-s", "0"}, w, h);
    const std::string out = dir.file("over.png");
    ASSERT_EQ(
        test::run_cli({"animate", sprite, "-s", "0", "--background", "#102030", "-o", out}).code,
        0);
    const Decoded d = read_apng(test::read_bytes(out));
    ASSERT_EQ(d.frames.size(), cells.size());
    for (std::size_t f = 0; f < cells.size(); ++f)
        for (std::size_t i = 0; i < cells[f].size(); ++i) {
            const std::uint32_t cell = cells[f][i];
            const std::uint32_t got = d.frames[f][i];
            ASSERT_EQ(got >> 24, 0xFFu);
            if (cell >> 24 == 0) {
                EXPECT_EQ(got, 0xFF302010u);
            } else if (cell >> 24 == 255) {
                EXPECT_EQ(got, cell);
            }
        }
}

TEST(AnimateMatrix, WritesOneFilePerSequenceDirectionAndPaletteNamedByThePlaceholders) {
    test::TempDir dir;
    const std::string sprite = dir.file("sample.spr");
    const auto doc = test::make_sample_document();
    ASSERT_TRUE(save_sprite(sprite, *doc, header_of(*doc)).ok());
    const auto r = test::run_cli({"animate", sprite, "-s", "all", "-d", "all", "-p", "all", "-o",
                                  dir.file("{name}-{s}-{d}-{p}.webp")});
    ASSERT_EQ(r.code, 0) << r.err;
    std::set<std::string> want{"sample.spr"};
    const std::pair<const char*, int> sequences[] = {
        {"coin_spin", 1}, {"slime_idle", 4}, {"arrow_flight", 8}};
    for (int s = 0; s < 3; ++s)
        for (int d = 0; d < sequences[s].second; ++d)
            for (int p = 0; p < 4; ++p)
                want.insert(std::string(sequences[s].first) + '-' + std::to_string(s) + '-' +
                            std::to_string(d) + '-' + std::to_string(p) + ".webp");
    const auto entries = dir.entries();
    EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()), want);
}

TEST_F(Animate, RefusesBeforeWritingAnything) {
    doc->sequences[0].name.assign("in.spr");  // {name} can lead to the input
    ASSERT_TRUE(save_sprite(sprite, *doc, header_of(*doc)).ok());
    const struct {
        test::Args args;
        const char* message;
    } cases[] = {
        {{"-s", "2"}, "There is no sequence 2"},
        {{"-s", "-1"}, "There is no sequence -1:"},
        {{"-s", "0", "-d", "-1"}, "There is no direction -1:"},
        {{"-s", "0", "-p", "-1"}, "There is no palette -1:"},
        {{"-s", "0", "-d", "2"}, "There is no direction 2"},
        {{"-s", "0", "-p", "4"}, "There is no palette 4"},
        {{"-s", "1"}, "Sequence 1 has no frames"},
        {{"-s", "0", "--fps", "0"}, "There is no rate of 0"},
        {{"-s", "0", "--fps", "101"}, "There is no rate of 101"},
        {{"-s", "0", "--scale", "17"}, "There is no scale 17"},
        {{"-s", "0", "--background", "#12345"}, "is not a background"},
        {{"-s", "0", "--background", "red"}, "is not a background"},
        {{"-s", "0", "--format", "bmp"}, "There is no format bmp"},
        {{"-s", "0", "-o", "@/a.bmp"}, "is unknown"},
        {{"-s", "0", "-o", "@/no/such/a.gif"}, "/no/such/: Folder not found."},
        {{"-s", "all", "--format", "gif", "-o", "@/{name}"}, "is the same file as the input"},
        {{"-s", "all", "-o", "@/a.gif"}, "put {s} or {name}"},
        {{"-s", "0", "-d", "all", "-o", "@/a{s}.gif"}, "put {d}"},
        {{"-s", "0", "-p", "all", "-o", "@/a{d}.gif"}, "put {p}"},
        {{"-s", "x"}, "is not a valid integer value"},
    };
    for (const auto& c : cases) {
        test::Args args = c.args;
        if (std::find(args.begin(), args.end(), "-o") == args.end())
            args = args + test::Args{"-o", dir.file("a.gif")};
        for (std::string& a : args)
            if (a[0] == '@') a = dir.path() + a.substr(1);
        SCOPED_TRACE(test::joined(args));
        const auto r = test::run_cli(test::Args{"animate", sprite} + args);
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.last_error_line().find(c.message), std::string::npos) << r.last_error_line();
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.spr"});
    }
}

}  // namespace
}  // namespace dabro
